#include "document/safe_file_writer.h"
#include "platform/signal_cleanup.h"
#include "support/faulty_file_system.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace byteloom {
namespace {

using namespace test;

TEST(SafeFileWriter, ReplacesTheFileAndKeepsItsPermissions)
{
    TempFolder folder;
    const auto path = folder / "rom.bin";
    WriteBytes(path, {1, 2, 3});
    using std::filesystem::perms;
    std::filesystem::permissions(path, perms::owner_read | perms::owner_write | perms::group_read);

    // The new file could not take the old one's permissions: it is not put in its place.
    FaultyFileSystem files;
    files.failKind = "chmod";
    const std::vector<std::uint8_t> bytes{9, 8, 7, 6};
    const Status refused = WriteFileSafely(path, bytes, files);
    EXPECT_NE(refused.message().find("permissions"), std::string::npos) << refused.message();
    EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(EntriesIn(folder.path()), 1u);

    // A file made anew has no old permissions to lose: a file system that keeps no modes
    // still takes it.
    files.failKind = "chmod";
    ASSERT_TRUE(WriteFileSafely(folder / "new.bin", bytes, files).ok());
    std::filesystem::remove(folder / "new.bin");

    ASSERT_TRUE(WriteFileSafely(path, bytes, files).ok());
    EXPECT_EQ(ReadBytes(path), bytes);
#ifndef _WIN32 // Windows keeps only whether a file is read-only
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              perms::owner_read | perms::owner_write | perms::group_read);
#endif
    EXPECT_EQ(EntriesIn(folder.path()), 1u);
}

TEST(SafeFileWriter, AFailureLeavesTheOldFileAndNoLeftovers)
{
    TempFolder folder;
    // A folder in the file's place cannot be replaced by a file.
    const auto taken = folder / "taken";
    std::filesystem::create_directory(taken);
    WriteBytes(taken / "inside.bin", {5});
    const Status status = WriteFileSafely(taken, std::vector<std::uint8_t>{1}, RealFileSystem());
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("taken"), std::string::npos);
    EXPECT_EQ(ReadBytes(taken / "inside.bin"), std::vector<std::uint8_t>{5});
    EXPECT_EQ(EntriesIn(folder.path()), 1u);
}

} // namespace
} // namespace byteloom

namespace byteloom {
namespace {

// Ctrl+C, a kill or a closed terminal while a file is being written: the old file stays and
// the half-written new one goes.
TEST(SafeFileWriterDeathTest, AStopBySignalLeavesNoTemporaryFile)
{
#ifdef _WIN32
    // Under Wine there is no console to send Ctrl+C to: what its handler runs is run here.
    test::TempFolder folder;
    const auto path = folder / "rom.bin";
    test::WriteBytes(path, {1, 2, 3});
    RemoveTemporaryFilesOnSignals();
    SafeFileStream stream(RealFileSystem());
    ASSERT_TRUE(stream.Open(path).ok());
    ASSERT_TRUE(stream.Write(std::string_view("new")).ok());
    EXPECT_EQ(EntriesIn(folder.path()), 2u);
    EXPECT_EQ(RemoveWatchedFiles(), 1); // the half-written file, gone once the process ends
    EXPECT_EQ(test::ReadBytes(path), (std::vector<std::uint8_t>{1, 2, 3}));
#else
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    test::TempFolder folder;
    const auto path = folder / "rom.bin";
    test::WriteBytes(path, {1, 2, 3});
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(
            {
                RemoveTemporaryFilesOnSignals();
                SafeFileStream stream(RealFileSystem());
                if (stream.Open(path).ok() && stream.Write(std::string_view("new")).ok())
                    std::raise(signal);
                std::_Exit(0);
            },
            testing::KilledBySignal(signal),
            "");
        EXPECT_EQ(test::ReadBytes(path), (std::vector<std::uint8_t>{1, 2, 3}));
        EXPECT_EQ(EntriesIn(folder.path()), 1u);
    }
#endif
}

} // namespace
} // namespace byteloom
