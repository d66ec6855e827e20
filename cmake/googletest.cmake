# GoogleTest for every test folder, found once; gtest_main_target names the library with its main().
# The Windows builds build it from its sources when GTEST_SOURCE_DIR holds them (Debian's libgtest-dev for
# the cross build, a checkout in CI), else take an installed package (e.g. vcpkg's); the native host build
# takes the installed package.
include(GoogleTest)
if(WIN32 AND NOT TINTAVO_HOST_ONLY)
    set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
    if(EXISTS ${GTEST_SOURCE_DIR}/CMakeLists.txt)
        set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
        set(gtest_main_target gtest_main)
        return()
    endif()
endif()
find_package(GTest QUIET)
if(NOT GTest_FOUND)
    # Without the framework the tests would silently not exist and the run would pass.
    message(FATAL_ERROR "GoogleTest not found: neither its sources in GTEST_SOURCE_DIR (${GTEST_SOURCE_DIR}, "
                        "Windows builds) nor an installed package (set GTest_DIR or CMAKE_PREFIX_PATH).")
endif()
set(gtest_main_target GTest::gtest_main)
