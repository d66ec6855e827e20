// A recording WindowManager for the window-service tests: a small in-memory desktop plus a call log.
#pragma once

#include "desktop/window_manager.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tintavo::desktop::testing {

// One platform call as the code made it. Handles and numbers are widened to a signed 64-bit value, so
// HWND_TOPMOST reads as -1.
struct Call {
    std::string name;
    std::vector<std::int64_t> args;

    friend bool operator==(const Call&, const Call&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Call& call) {
        out << call.name << '(';
        for (std::size_t i = 0; i < call.args.size(); ++i)
            out << (i ? ", " : "") << call.args[i];
        return out << ')';
    }
};

// What SetLayeredWindowAttributes last set on a window.
struct ColorKey {
    std::uint32_t key;
    std::uint8_t alpha;
    std::uint32_t flags;

    friend bool operator==(const ColorKey&, const ColorKey&) = default;
    friend std::ostream& operator<<(std::ostream& out, const ColorKey& k) {
        return out << "{key 0x" << std::hex << k.key << ", alpha " << std::dec << int{k.alpha} << ", flags "
                   << k.flags << '}';
    }
};

// What the version query reports when it succeeds.
struct FakeVersion {
    std::uint32_t platformId = kVerPlatformWin32Nt;
    std::uint32_t major = 6;
    std::uint32_t minor = 1;
};

class FakeWindowManager final : public WindowManager {
public:
    explicit FakeWindowManager(FakeVersion v = {}) : version(v) {}

    // The desktop. A window missing from `parent` has none; one missing from `visible` is hidden.
    FakeVersion version;
    std::map<WindowHandle, WindowHandle> parent;
    std::set<WindowHandle> visible;
    std::map<WindowHandle, std::int32_t> exStyle;
    std::map<int, std::uint32_t> sysColor;
    std::map<WindowHandle, ColorKey> colorKey;
    std::uint32_t lastError = 0;

    // Programmed failures.
    bool versionQueryFails = false;
    std::optional<std::uint32_t> setWindowLongError; // fail with this last error, style left as it was
    bool layeredAttributesFail = false;
    bool setWindowPosFails = false;

    // What the version query was handed.
    std::optional<std::uint32_t> versionSizePassed;
    bool versionRecordWasCleared = false;

    std::vector<Call> calls;

    std::vector<Call> CallsNamed(const std::string& name) const {
        std::vector<Call> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                     [&](const Call& c) { return c.name == name; });
        return out;
    }

    bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                      std::uint32_t flags) override {
        Log("SetWindowPos", {Wide(window), Wide(insertAfter), x, y, cx, cy, flags});
        return !setWindowPosFails;
    }

    bool GetVersionExA(OsVersionInfo& info) override {
        Log("GetVersionExA", {info.osVersionInfoSize});
        versionSizePassed = info.osVersionInfoSize;
        versionRecordWasCleared = info.majorVersion == 0 && info.minorVersion == 0 && info.buildNumber == 0 &&
                                  info.platformId == 0 &&
                                  std::all_of(std::begin(info.csdVersion), std::end(info.csdVersion),
                                              [](char c) { return c == 0; });
        // Like the platform: a record of the wrong size is refused, and a refusal writes nothing.
        if (versionQueryFails || info.osVersionInfoSize != sizeof(OsVersionInfo)) {
            lastError = 122; // ERROR_INSUFFICIENT_BUFFER
            return false;
        }
        info.majorVersion = version.major;
        info.minorVersion = version.minor;
        info.buildNumber = 7601;
        info.platformId = version.platformId;
        return true;
    }

    WindowHandle GetParent(WindowHandle window) override {
        Log("GetParent", {Wide(window)});
        const auto it = parent.find(window);
        return it == parent.end() ? 0 : it->second;
    }

    bool IsWindowVisible(WindowHandle window) override {
        Log("IsWindowVisible", {Wide(window)});
        return window != 0 && visible.contains(window);
    }

    std::int32_t GetWindowLongA(WindowHandle window, std::int32_t index) override {
        Log("GetWindowLongA", {Wide(window), index});
        return index == kGwlExStyle ? exStyle[window] : 0;
    }

    // Returns the previous value and, like the platform, leaves the last error alone on success.
    std::int32_t SetWindowLongA(WindowHandle window, std::int32_t index, std::int32_t value) override {
        Log("SetWindowLongA", {Wide(window), index, value});
        if (setWindowLongError) {
            lastError = *setWindowLongError;
            return 0;
        }
        if (index != kGwlExStyle) return 0;
        const std::int32_t previous = exStyle[window];
        exStyle[window] = value;
        return previous;
    }

    bool SetLayeredWindowAttributes(WindowHandle window, std::uint32_t key, std::uint8_t alpha,
                                    std::uint32_t flags) override {
        Log("SetLayeredWindowAttributes", {Wide(window), key, alpha, flags});
        // Like the platform, refused for a window without the layered style.
        if (layeredAttributesFail || (exStyle[window] & kWsExLayered) == 0) return false;
        colorKey[window] = ColorKey{key, alpha, flags};
        return true;
    }

    std::uint32_t GetSysColor(int index) override {
        Log("GetSysColor", {index});
        return sysColor.at(index);
    }

    bool ReleaseCapture() override {
        Log("ReleaseCapture", {});
        return true;
    }

    std::intptr_t SendMessageA(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) override {
        Log("SendMessageA", {Wide(window), message, Wide(wParam), lParam});
        return 0;
    }

    void SetLastError(std::uint32_t error) override {
        Log("SetLastError", {error});
        lastError = error;
    }

    std::uint32_t GetLastError() override {
        Log("GetLastError", {});
        return lastError;
    }

private:
    static std::int64_t Wide(std::uintptr_t value) { return static_cast<std::intptr_t>(value); }
    void Log(std::string name, std::vector<std::int64_t> args) {
        calls.push_back({std::move(name), std::move(args)});
    }
};

} // namespace tintavo::desktop::testing
