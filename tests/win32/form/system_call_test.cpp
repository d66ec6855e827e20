// Tests of the run-time lookups against the system's own libraries, and of their fallbacks.
#include "windows/form/system_call.h"

#include "form_test_support.h"
#include "windows/form/dpi.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

namespace tintavo {
namespace {

using test_support::ProbeForm;
using SystemCallTest = test_support::ProbeFormTest;

// GetProcAddress matches names exactly: a name spelt otherwise than the library exports it is looked up
// in vain, and the call it stands for silently never runs.
// And each name once: a call looked up under another's name answers for that one.
TEST_F(SystemCallTest, EveryNameLookedUpIsExportedByItsLibraryAndNamedOnce) {
    ASSERT_FALSE(system_call::LookedUp().empty());
    std::set<std::string_view> names;
    for (const system_call::Export& looked : system_call::LookedUp()) {
        EXPECT_TRUE(names.insert(looked.name).second) << looked.name << " looked up twice";
        const HMODULE module = LoadLibraryExW(looked.library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        ASSERT_NE(module, nullptr) << looked.library;
        EXPECT_NE(GetProcAddress(module, looked.name), nullptr) << looked.name << " in " << looked.library;
        FreeLibrary(module);
    }
}

constexpr wchar_t kBesideTheExe[] = L"tintavo_probe.dll"; // built beside the test exe, and nowhere else

// The screen's DPI as the system answers it. A run at another scale names that scale (scripts/test.sh runs
// this suite at 144 dpi too, where a fallback that answers the default 96 fails), so it is sure to be there.
UINT ScreenDpi() {
    char named[8] = {};
    if (GetEnvironmentVariableA("TINTAVO_SCREEN_DPI", named, sizeof named)) return std::stoul(named);
    return GetDpiForSystem();
}

// Loaded again without the export: the screen's DPI, the client area where and as large as designed at
// that DPI, the size a move to a monitor of that DPI would take the window's own (its menu bar counted),
// and kept within reach, which takes the caption's height.
void LaidOutAsDesigned(ProbeForm& form) {
    form.UnloadWindow();
    (void)test_support::QuitPosted(); // the unload's, which would end the next modal loop
    form.Show();
    const UINT screen = ScreenDpi();
    EXPECT_EQ(dpi::ForWindow(form.Handle()), screen);
    EXPECT_EQ(dpi::ForSystem(), screen);
    const RECT client = test_support::ScreenClientRect(form.Handle());
    const auto at = [screen](int pixelsAt96) { return MulDiv(pixelsAt96, static_cast<int>(screen), 96); };
    const RECT designed{at(40), at(60), at(160), at(140)};
    EXPECT_TRUE(EqualRect(&client, &designed));
    RECT window{};
    GetWindowRect(form.Handle(), &window);
    SIZE outer{};
    ASSERT_TRUE(SendMessageW(form.Handle(), WM_GETDPISCALEDSIZE, screen, reinterpret_cast<LPARAM>(&outer)));
    EXPECT_EQ(outer.cx, window.right - window.left);
    EXPECT_EQ(outer.cy, window.bottom - window.top);
    test_support::ExpectKeptWithinReach(form.Handle(), form.fast.Id());
}

// The colour dialog, answered OK as soon as it shows: whether ShowColor says OK, and whether it showed.
HWND dialogOwner = nullptr;
bool dialogShown = false;
void CALLBACK AnswerColorDialog(HWND, UINT, UINT_PTR, DWORD) {
    if (const HWND dialog = test_support::ShownWindowOwnedBy(dialogOwner)) {
        dialogShown = true;
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
}
void ColorDialog(ProbeForm& form, bool shown) {
    dialogOwner = form.Handle();
    dialogShown = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, &AnswerColorDialog);
    EXPECT_EQ(form.colors.ShowColor(), shown);
    KillTimer(nullptr, timer);
    EXPECT_EQ(dialogShown, shown);
}

void FailsAsMissing(bool failed) {
    const DWORD error = GetLastError();
    EXPECT_TRUE(failed);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

bool InSystemFolder(HMODULE module) {
    wchar_t path[MAX_PATH] = {}, system[MAX_PATH] = {};
    if (!module || !GetModuleFileNameW(module, path, MAX_PATH) || !GetSystemDirectoryW(system, MAX_PATH))
        return false;
    std::wstring folder{path, std::wstring_view{path}.rfind(L'\\')};
    return CompareStringOrdinal(folder.c_str(), -1, system, -1, TRUE) == CSTR_EQUAL;
}

// Each export the program looks up, absent as on an older system: what the layer does then.
TEST_F(SystemCallTest, WithAnExportMissingEachCallFallsBack) {
    static const struct {
        const char* missing;
        void (*check)(ProbeForm&);
    } kCases[] = {
        {"GetDpiForWindow", &LaidOutAsDesigned},
        {"GetDpiForSystem", &LaidOutAsDesigned},
        {"AdjustWindowRectExForDpi", &LaidOutAsDesigned},
        {"GetSystemMetricsForDpi", &LaidOutAsDesigned},
        {"SetThreadDpiAwarenessContext", [](ProbeForm& probe) { ColorDialog(probe, true); }},
        {"ChooseColorW", [](ProbeForm& probe) { ColorDialog(probe, false); }}, // as if cancelled
        {"RegisterPowerSettingNotification",
         [](ProbeForm& probe) {
             const GUID any{};
             FailsAsMissing(!system_call::RegisterPowerSettingNotification(probe.Handle(), &any, 0));
         }},
        {"UnregisterPowerSettingNotification",
         [](ProbeForm&) { FailsAsMissing(!system_call::UnregisterPowerSettingNotification(nullptr)); }},
        {"RegisterSuspendResumeNotification",
         [](ProbeForm& probe) {
             FailsAsMissing(!system_call::RegisterSuspendResumeNotification(probe.Handle(), 0));
         }},
        {"UnregisterSuspendResumeNotification",
         [](ProbeForm&) { FailsAsMissing(!system_call::UnregisterSuspendResumeNotification(nullptr)); }},
        {"WTSRegisterSessionNotification",
         [](ProbeForm& probe) {
             FailsAsMissing(!system_call::WTSRegisterSessionNotification(probe.Handle(), 0));
         }},
        {"WTSUnRegisterSessionNotification",
         [](ProbeForm& probe) {
             FailsAsMissing(!system_call::WTSUnRegisterSessionNotification(probe.Handle()));
         }},
        // Without the search flags, a system library is loaded by its full path, still never from beside
        // the exe.
        {"AddDllDirectory",
         [](ProbeForm&) {
             EXPECT_EQ(system_call::LoadSystemLibrary(kBesideTheExe), nullptr);
             EXPECT_TRUE(InSystemFolder(system_call::LoadSystemLibrary(L"wtsapi32.dll")));
         }},
        // Without it the process keeps the default search, which finds a library beside the exe.
        {"SetDefaultDllDirectories",
         [](ProbeForm&) {
             system_call::LoadDllsFromTheSystemFolderOnly();
             const HMODULE beside = LoadLibraryW(kBesideTheExe);
             EXPECT_NE(beside, nullptr);
             if (beside) FreeLibrary(beside);
         }},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.missing);
        system_call::PretendMissing(c.missing);
        c.check(form);
        system_call::PretendMissing(nullptr);
    }
}

// A library beside the exe is never taken for a system library, and once the process searches the system
// folder only, not even a load by name finds it. The call changes the process for the tests that follow
// (after the table above, which needs the default search): the program makes it first thing at start, so
// they then run as the program runs.
TEST_F(SystemCallTest, ADllBesideTheExeIsRefusedBySystemLoadsAndBySearchesOfTheSystemFolder) {
    EXPECT_EQ(system_call::LoadSystemLibrary(kBesideTheExe), nullptr);
    system_call::LoadDllsFromTheSystemFolderOnly();
    const HMODULE beside = LoadLibraryW(kBesideTheExe);
    EXPECT_EQ(beside, nullptr);
    if (beside) FreeLibrary(beside);
    const HMODULE system = LoadLibraryW(L"wtsapi32.dll"); // a system library still loads by name
    EXPECT_TRUE(InSystemFolder(system));
    if (system) FreeLibrary(system);
}

} // namespace
} // namespace tintavo
