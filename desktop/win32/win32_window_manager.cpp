// Binds the window-manager port to user32 and kernel32.
#include "desktop/win32/win32_window_manager.h"

#include <cstddef>
#include <cstring>

namespace tintavo::desktop {

// The port's constants restate the platform's; a mismatch here would send the wrong call silently.
// HWND_TOPMOST is a pointer cast, which no constant expression can read: it is ((HWND)-1), matching
// kHwndTopmost, and the adapter passes it through the same cast as every other handle.
static_assert(kSwpNoSize == SWP_NOSIZE);
static_assert(kSwpNoMove == SWP_NOMOVE);
static_assert(kGwlExStyle == GWL_EXSTYLE);
static_assert(kWsExLayered == WS_EX_LAYERED);
static_assert(kLwaColorKey == LWA_COLORKEY);
static_assert(kVerPlatformWin32Nt == VER_PLATFORM_WIN32_NT);
static_assert(kWmNcLButtonDown == WM_NCLBUTTONDOWN);
static_assert(kHtCaption == HTCAPTION);
static_assert(sizeof(OsVersionInfo) == sizeof(OSVERSIONINFOA));
static_assert(offsetof(OsVersionInfo, majorVersion) == offsetof(OSVERSIONINFOA, dwMajorVersion));
static_assert(offsetof(OsVersionInfo, platformId) == offsetof(OSVERSIONINFOA, dwPlatformId));

namespace {

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

// Stateless: each member forwards to the platform call of the same name.
class Win32WindowManager final : public WindowManager {
public:
    bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                      std::uint32_t flags) override {
        return ::SetWindowPos(ToHwnd(window), ToHwnd(insertAfter), x, y, cx, cy, flags) != FALSE;
    }

    bool GetVersionExA(OsVersionInfo& info) override {
        OSVERSIONINFOA native;
        std::memcpy(&native, &info, sizeof native);
        // Deprecated for newer code, but it is the query the layering support rule is written for.
#ifdef _MSC_VER
#pragma warning(push)
#pragma warning(disable : 4996)
#endif
#ifdef __GNUC__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
        const BOOL ok = ::GetVersionExA(&native);
#ifdef __GNUC__
#pragma GCC diagnostic pop
#endif
#ifdef _MSC_VER
#pragma warning(pop)
#endif
        std::memcpy(&info, &native, sizeof info);
        return ok != FALSE;
    }

    WindowHandle GetParent(WindowHandle window) override { return ToHandle(::GetParent(ToHwnd(window))); }

    bool IsWindowVisible(WindowHandle window) override { return ::IsWindowVisible(ToHwnd(window)) != FALSE; }

    std::int32_t GetWindowLongA(WindowHandle window, std::int32_t index) override {
        return ::GetWindowLongA(ToHwnd(window), index);
    }

    std::int32_t SetWindowLongA(WindowHandle window, std::int32_t index, std::int32_t value) override {
        return ::SetWindowLongA(ToHwnd(window), index, value);
    }

    bool SetLayeredWindowAttributes(WindowHandle window, std::uint32_t key, std::uint8_t alpha,
                                    std::uint32_t flags) override {
        return ::SetLayeredWindowAttributes(ToHwnd(window), key, alpha, flags) != FALSE;
    }

    std::uint32_t GetSysColor(int index) override { return ::GetSysColor(index); }

    bool ReleaseCapture() override { return ::ReleaseCapture() != FALSE; }

    std::intptr_t SendMessageA(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) override {
        return ::SendMessageA(ToHwnd(window), message, static_cast<WPARAM>(wParam),
                              static_cast<LPARAM>(lParam));
    }

    void SetLastError(std::uint32_t error) override { ::SetLastError(error); }

    std::uint32_t GetLastError() override { return ::GetLastError(); }
};

} // namespace

WindowManager& SystemWindowManager() {
    static Win32WindowManager instance;
    return instance;
}

} // namespace tintavo::desktop
