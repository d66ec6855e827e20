// The port through which the window services reach the desktop: one member per platform call they make.
#pragma once

#include <cstdint>

namespace tintavo::desktop {

// A native window handle, borrowed for the length of one call and never stored.
using WindowHandle = std::uintptr_t;

inline constexpr WindowHandle kHwndTopmost = static_cast<WindowHandle>(-1);
inline constexpr std::uint32_t kSwpNoSize = 0x1;
inline constexpr std::uint32_t kSwpNoMove = 0x2;
inline constexpr std::int32_t kGwlExStyle = -20;
inline constexpr std::int32_t kWsExLayered = 0x80000;
inline constexpr std::uint32_t kLwaColorKey = 0x1;
inline constexpr std::uint32_t kVerPlatformWin32Nt = 2;
inline constexpr std::uint32_t kWmNcLButtonDown = 0xA1;
inline constexpr std::uintptr_t kHtCaption = 2;

// The platform's OSVERSIONINFOA, 148 bytes.
struct OsVersionInfo {
    std::uint32_t osVersionInfoSize;
    std::uint32_t majorVersion;
    std::uint32_t minorVersion;
    std::uint32_t buildNumber;
    std::uint32_t platformId;
    char csdVersion[128];
};
static_assert(sizeof(OsVersionInfo) == 148);

struct WindowManager {
    virtual ~WindowManager() = default;

    virtual bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                              std::uint32_t flags) = 0;
    virtual bool GetVersionExA(OsVersionInfo& info) = 0;
    virtual WindowHandle GetParent(WindowHandle window) = 0;
    virtual bool IsWindowVisible(WindowHandle window) = 0;
    virtual std::int32_t GetWindowLongA(WindowHandle window, std::int32_t index) = 0;
    virtual std::int32_t SetWindowLongA(WindowHandle window, std::int32_t index, std::int32_t value) = 0;
    virtual bool SetLayeredWindowAttributes(WindowHandle window, std::uint32_t key, std::uint8_t alpha,
                                            std::uint32_t flags) = 0;
    virtual std::uint32_t GetSysColor(int index) = 0;
    virtual bool ReleaseCapture() = 0;
    virtual std::intptr_t SendMessageA(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                       std::intptr_t lParam) = 0;
    // SetWindowLongA returns the previous value, which may be 0 on success: only the thread's last
    // error, cleared before the call, tells a failure apart.
    virtual void SetLastError(std::uint32_t error) = 0;
    virtual std::uint32_t GetLastError() = 0;
};

} // namespace tintavo::desktop
