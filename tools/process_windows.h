// The visible top-level windows of one process, found as any other program finds them: for the programs
// that start tintavo.exe and look at it from outside (the outside-in tests, the cost figure).
#pragma once

#include <windows.h>

#include <cwchar>
#include <vector>

namespace tintavo {

// In the system's order, front to back; title: only windows with this text, or any when null.
inline std::vector<HWND> VisibleWindowsOf(DWORD processId, const wchar_t* title) {
    struct Search {
        DWORD processId;
        const wchar_t* title;
        std::vector<HWND> found;
    } search{processId, title, {}};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t text[64] = {};
            GetWindowTextW(window, text, 64);
            if (owner == s.processId && IsWindowVisible(window) && (!s.title || std::wcscmp(text, s.title) == 0))
                s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace tintavo
