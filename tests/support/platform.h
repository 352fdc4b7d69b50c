#pragma once

#include "platform/file_system.h"

#include <gtest/gtest.h>

// Ends the test on Windows, saying why it cannot apply there; elsewhere does nothing. What the
// test checked before it still counts.
#ifdef _WIN32
#define BYTELOOM_NOT_ON_WINDOWS(why) GTEST_SKIP() << "not on Windows: " << why
#else
#define BYTELOOM_NOT_ON_WINDOWS(why) static_cast<void>(0)
#endif

namespace byteloom::test {

// Why a test that puts another file in the place of an open document cannot run on Windows.
inline constexpr const char *kWindowsHoldsTheFile
    = "Windows renames no file over one that a program holds open";
// Why a test of symbolic links cannot run under Wine.
inline constexpr const char *kWindowsHasNoLinks
    = "a symbolic link needs a privilege on Windows, and Wine makes none";

// The names a file has, as the system counts them (the standard library's count is always 1 on
// Windows).
inline std::uint64_t LinkCount(const std::filesystem::path &path)
{
    FileStatus status;
    return RealFileSystem().StatPath(path, status) == 0 ? status.links : 0;
}

} // namespace byteloom::test
