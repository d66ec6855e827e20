// Posts one window message to a top-level window found by its title, from outside the window's
// process: the tests and scripts/measure.sh send what Wine never does (session, power and display
// messages) this way.
//   post_message.exe TITLE MESSAGE WPARAM LPARAM
// Numbers are decimal or 0x hexadecimal; LPARAM may be the word "session", this process's own session
// id (a program started in the same Wine prefix is in the window's session). Waits up to 5 s for the
// window to appear. Exit codes: 0 posted, 1 no such window, 2 bad arguments, 3 the post failed.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

// The whole of text as a number (base 10, or 16 after 0x); false when anything else is there.
bool ParseUnsigned(const wchar_t* text, unsigned long long& value) {
    wchar_t* end = nullptr;
    errno = 0;
    value = std::wcstoull(text, &end, 0);
    return *text != L'\0' && *text != L'-' && *end == L'\0' && errno == 0;
}

bool ParseSigned(const wchar_t* text, long long& value) {
    wchar_t* end = nullptr;
    errno = 0;
    value = std::wcstoll(text, &end, 0);
    return *text != L'\0' && *end == L'\0' && errno == 0;
}

int Usage() {
    (void)std::fwprintf(stderr, L"usage: post_message.exe TITLE MESSAGE WPARAM LPARAM|session\n");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) return Usage();
    unsigned long long message = 0, wParam = 0;
    long long lParam = 0;
    if (!ParseUnsigned(argv[2], message) || message > 0xFFFFFFFFull || !ParseUnsigned(argv[3], wParam))
        return Usage();
    if (std::wcscmp(argv[4], L"session") == 0) {
        DWORD session = 0;
        if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) {
            (void)std::fwprintf(stderr, L"post_message: no session id (error %lu)\n", GetLastError());
            return 3;
        }
        lParam = session;
    } else if (!ParseSigned(argv[4], lParam)) {
        return Usage();
    }

    HWND window = nullptr;
    for (int i = 0; i < 100 && !window; ++i) { // 100 x 50 ms
        window = FindWindowW(nullptr, argv[1]);
        if (!window) Sleep(50);
    }
    if (!window) {
        (void)std::fwprintf(stderr, L"post_message: no window titled \"%ls\"\n", argv[1]);
        return 1;
    }
    if (!PostMessageW(window, static_cast<UINT>(message), static_cast<WPARAM>(wParam),
                      static_cast<LPARAM>(lParam))) {
        (void)std::fwprintf(stderr, L"post_message: PostMessageW failed (error %lu)\n", GetLastError());
        return 3;
    }
    return 0;
}
