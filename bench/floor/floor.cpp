// The cost floor of the clock: a bare fixed tool window with a menu bar and the clock's three timers
// (10 ms, 1 s, 1 s), repainting a short text once a second. scripts/measure.sh runs it beside
// tintavo.exe; whatever tintavo.exe costs above this is its own doing, not its timers'.
#include <windows.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kSampleTimer = 1, kTextTimer = 2, kSecondTimer = 3;
constexpr UINT kFile = 0x100, kAbout = 0x200;

wchar_t text[16] = L"0";
unsigned seconds = 0;

HMENU MakeMenuBar() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kFile + 1, L"Display");
    AppendMenuW(file, MF_STRING, kFile + 2, L"Close");
    HMENU about = CreatePopupMenu();
    AppendMenuW(about, MF_STRING, kAbout + 1, L"Floor");
    AppendMenuW(about, MF_STRING, kAbout + 2, L"Timers");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(about), L"About");
    return bar;
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        SetTimer(window, kSampleTimer, 10, nullptr);
        SetTimer(window, kTextTimer, 1000, nullptr);
        SetTimer(window, kSecondTimer, 1000, nullptr);
        return 0;
    case WM_TIMER:
        if (wp == kTextTimer) {
            (void)std::swprintf(text, sizeof text / sizeof *text, L"%u s", ++seconds);
            InvalidateRect(window, nullptr, TRUE);
        }
        return 0; // the sampling and the second 1 s timer do nothing: only their wake-ups are counted
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        DrawTextW(dc, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_COMMAND:
        if (UINT{LOWORD(wp)} == kFile + 2) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, msg, wp, lp);
}

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int nShowCmd) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = L"TintavoFloor";
    if (!RegisterClassW(&wc)) return 1;

    constexpr DWORD style = WS_CAPTION | WS_SYSMENU, exStyle = WS_EX_TOOLWINDOW;
    RECT frame{0, 0, 250, 129}; // the main clock's client size
    AdjustWindowRectEx(&frame, style, TRUE, exStyle);
    HWND window =
        CreateWindowExW(exStyle, wc.lpszClassName, L"Tintavo floor", style, 40, 40, frame.right - frame.left,
                        frame.bottom - frame.top, nullptr, MakeMenuBar(), hInstance, nullptr);
    if (!window) return 1;
    ShowWindow(window, nShowCmd);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
