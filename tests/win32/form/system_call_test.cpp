// Tests of the run-time lookups against the system's own libraries.
#include "windows/form/system_call.h"

#include <gtest/gtest.h>

namespace tintavo {
namespace {

// GetProcAddress matches names exactly: a name spelt otherwise than the library exports it is looked up
// in vain, and the call it stands for silently never runs.
TEST(SystemCall, EveryNameLookedUpIsExportedByItsLibrary) {
    ASSERT_FALSE(system_call::LookedUp().empty());
    for (const system_call::Export& looked : system_call::LookedUp()) {
        const HMODULE module = LoadLibraryExW(looked.library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        ASSERT_NE(module, nullptr) << looked.library;
        EXPECT_NE(GetProcAddress(module, looked.name), nullptr) << looked.name << " in " << looked.library;
        FreeLibrary(module);
    }
}

} // namespace
} // namespace tintavo
