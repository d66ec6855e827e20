// What the windows tests share: running messages while real timers tick, and reading window state.
#pragma once

#include "windows/forms.h"

#include <psapi.h>
#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace tintavo::testing {

// Set when a pump below takes the quit message that the program's last unload posts.
inline bool quitTaken = false;

// WM_TIMER messages the pumps below have run, by window and timer id (a null window: a thread timer).
// The system delivers them, so they count a timer's ticks whatever the handler does with them.
inline std::map<std::pair<HWND, UINT_PTR>, int> timerTicks;

inline int TicksOf(HWND window, UINT_PTR timer) {
    const auto found = timerTicks.find({window, timer});
    return found == timerTicks.end() ? 0 : found->second;
}

// The clock windows' timers, numbered by the form layer in the order the windows create them.
enum ClockTimer : UINT_PTR { kTimeTimer = 1, kBlinkTimer = 2, kColorTimer = 3 };

// Runs one tick of a form's timer now, as the system would deliver it.
inline void Tick(HWND window, UINT_PTR timer) { SendMessageW(window, WM_TIMER, timer, 0); }

// Runs messages until the predicate holds or the time is up; true when it held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitTaken = true;
                continue;
            }
            if (message.message == WM_TIMER) ++timerTicks[{message.hwnd, message.wParam}];
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// Takes the quit message that the program's last unload posts; true when there was one.
inline bool QuitPosted() {
    MSG quit;
    const bool posted = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) || quitTaken;
    quitTaken = false;
    return posted;
}

// The command id of an item of the window's menu bar, found by the captions a user reads; 0 if none.
inline UINT CommandOf(HWND window, const std::wstring& menu, const std::wstring& item) {
    HMENU bar = GetMenu(window);
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        wchar_t caption[32] = {};
        GetMenuStringW(bar, i, caption, 32, MF_BYPOSITION);
        if (caption != menu) continue;
        HMENU popup = GetSubMenu(bar, i);
        for (int j = 0; j < GetMenuItemCount(popup); ++j) {
            GetMenuStringW(popup, j, caption, 32, MF_BYPOSITION);
            if (caption == item) return GetMenuItemID(popup, j);
        }
    }
    return 0;
}

// Chooses an item of the main clock's menu as a click on it would.
inline void Choose(const wchar_t* menu, const wchar_t* item) {
    const HWND window = frmMain().Handle();
    const UINT command = CommandOf(window, menu, item);
    ASSERT_NE(command, 0u);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

// The timers that tick in the next ms milliseconds, by window and id, while messages run.
inline std::set<std::pair<HWND, UINT_PTR>> TimersTicking(DWORD ms) {
    timerTicks.clear();
    PumpFor(ms);
    std::set<std::pair<HWND, UINT_PTR>> ticking;
    for (const auto& [timer, ticks] : timerTicks)
        ticking.insert(timer);
    return ticking;
}

// ---- What the process holds, to compare before and after a long run -------------------------------

// GDI objects of the process. Windows counts them itself, but Wine's GetGuiResources is a stub that
// answers 0: there the process's GDI handle table is counted instead. Both keep that table in user
// memory (PEB GdiSharedHandleTable, at most 65536 entries); an entry with a non-zero type is a live
// object. Windows notes the owning process in each entry (its table holds the whole session); Wine
// leaves the owner 0, as its table holds this process's objects only.
inline int GdiObjectCount() {
    if (const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return static_cast<int>(counted);
    struct Entry {
        void* kernelAddress;
        std::uint16_t processId, count, upper, type;
        void* userAddress;
    };
    static_assert(sizeof(Entry) == (sizeof(void*) == 8 ? 24 : 16));
    constexpr std::size_t kTableInPeb = sizeof(void*) == 8 ? 0xF8 : 0x94;
    constexpr int kMaxEntries = 65536;
    // The documented query for the PEB's address (NtCurrentTeb would do, but GCC warns on its inline read).
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return -1;
    const auto* peb = reinterpret_cast<const std::byte*>(basic.PebBaseAddress);
    std::uintptr_t address = 0; // the table's, held in the PEB
    std::memcpy(&address, peb + kTableInPeb, sizeof address);
    const auto* table = reinterpret_cast<const Entry*>(address);
    if (!table) return -1;
    const auto self = static_cast<std::uint16_t>(GetCurrentProcessId());
    int count = 0;
    for (int i = 0; i < kMaxEntries; ++i)
        if (table[i].type != 0 && (table[i].processId == self || table[i].processId == 0)) ++count;
    return count;
}

// This thread's windows: the top-level ones and all their descendants.
inline int ThreadWindowCount() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM total) -> BOOL {
            ++*reinterpret_cast<int*>(total);
            EnumChildWindows(
                window, [](HWND, LPARAM all) -> BOOL { return ++*reinterpret_cast<int*>(all), TRUE; }, total);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// Bytes in use in all of the process's heaps (the C++ runtime's and the system libraries' included).
inline std::size_t HeapBytesInUse() {
    HANDLE heaps[256];
    const DWORD count = (std::min)(GetProcessHeaps(256, heaps), DWORD{256});
    std::size_t busy = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return busy;
}

// Memory committed for the process alone (private bytes; Wine reports it here, not in PrivateUsage).
inline std::size_t CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// The window's client area in screen coordinates.
inline RECT ScreenClientRect(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

} // namespace tintavo::testing
