// A program started as a process of its own and ended with this owner if it still runs, and its windows
// found as any other program finds them: for the programs that start tintavo.exe and look at it from
// outside (the outside-in tests, the cost figure).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cwchar>
#include <string>
#include <vector>

namespace tintavo {

// The visible top-level windows of one process, found as any other program finds them. In the system's
// order, front to back; title: only windows with this text, or any when null.
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
            if (owner == s.processId && IsWindowVisible(window) &&
                (!s.title || std::wcscmp(text, s.title) == 0))
                s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The one visible top-level window of the process with this title (any title when null) once it is there;
// null when the time is up.
inline HWND WaitForWindow(DWORD processId, const wchar_t* title, DWORD timeoutMs = 30000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const std::vector<HWND> found = VisibleWindowsOf(processId, title);
        if (found.size() == 1) return found.front();
        if (GetTickCount64() >= deadline) return nullptr;
        Sleep(10);
    }
}

class StartedProcess {
public:
    // The exit code of a process this owner had to end.
    static constexpr UINT kEndedByOwner = 99;

    // exe: the program's path in UTF-8, as the build writes it into the programs; started without arguments.
    explicit StartedProcess(const char* exe) {
        const int length = MultiByteToWideChar(CP_UTF8, 0, exe, -1, nullptr, 0);
        std::wstring path(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
        (void)MultiByteToWideChar(CP_UTF8, 0, exe, -1, path.data(), length);
        path.resize(path.size() - 1); // the terminator
        std::wstring commandLine = L"\"" + path + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_))
            startError_ = GetLastError();
    }
    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;
    ~StartedProcess() {
        if (!process_.hProcess) return;
        if (!Ended(0)) {
            TerminateProcess(process_.hProcess, kEndedByOwner);
            (void)WaitForSingleObject(process_.hProcess, 10000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }

    bool Started() const { return process_.hProcess != nullptr; }
    DWORD StartError() const { return startError_; } // CreateProcess's, when it failed
    HANDLE Handle() const { return process_.hProcess; }
    DWORD Id() const { return process_.dwProcessId; }

    std::vector<HWND> Windows(const wchar_t* title) const { return VisibleWindowsOf(Id(), title); }

    bool Ended(DWORD timeoutMs) const {
        return WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }

    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION process_{};
    DWORD startError_ = 0;
};

} // namespace tintavo
