#include "document/document.h"
#include "support/documents.h"
#include "support/process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

namespace byteloom {
namespace {

using namespace test;

constexpr const char *kChild = BYTELOOM_COMMIT_CHILD;

class KillTest : public testing::Test
{
protected:
    KillTest()
        : original(PatternBytes(64 * 1024))
        , committed(original)
    {
        for (const std::int64_t page : {1, 5, 9, 15})
            committed[static_cast<std::size_t>(page * 4096 + 7)] = 0xA5;
        committed.insert(committed.end(), 10000, 0xEE);
    }

    void Reset()
    {
        std::filesystem::remove_all(folder.path());
        std::filesystem::create_directories(folder.path());
        WriteBytes(path, original);
    }

    // After a stop, the file opens wholly old or wholly new, and nothing is left beside it.
    void ExpectWhole(const std::string &when)
    {
        const auto bytes = OpenedAgain(path);
        EXPECT_TRUE(bytes == original || bytes == committed) << when;
        newSeen += bytes == committed ? 1 : 0;
        oldSeen += bytes == original ? 1 : 0;
        EXPECT_EQ(test::EntriesIn(folder.path()), 1u) << when;
    }

    TempFolder folder;
    std::filesystem::path path = folder / "rom.bin";
    std::vector<std::uint8_t> original;
    std::vector<std::uint8_t> committed;
    int oldSeen = 0;
    int newSeen = 0;
};

// A paged commit killed at each of its opens, reads, writes, syncs, truncations, removals and
// closes in turn (strace stops it exactly there).
TEST_F(KillTest, ACommitKilledAtAnyCallLeavesTheFileWhollyOldOrWhollyNew)
{
#ifdef _WIN32
    GTEST_SKIP() << "strace, which stops the commit at each call, is Linux's; the kills at random "
                    "moments below run on Windows too";
#endif
    if (!std::filesystem::exists("/usr/bin/strace"))
        GTEST_SKIP() << "strace is not installed (scripts/install-deps installs it)";
    for (const std::string call :
         {"openat", "pread64", "pwrite64", "fsync", "ftruncate", "unlink", "close"}) {
        for (int n = 1; n < 400; ++n) {
            Reset();
            ChildProcess child({"/usr/bin/strace",
                                "-qq",
                                "-o",
                                "/dev/null",
                                "-e",
                                "trace=" + call,
                                "-e",
                                "inject=" + call + ":signal=KILL:when=" + std::to_string(n),
                                kChild,
                                path.string()});
            const int status = child.Wait();
            const std::string when = call + " #" + std::to_string(n);
            ExpectWhole(when);
            if (status != -1) {
                // Fewer calls than n: the commit ran to its end.
                EXPECT_EQ(status, 0) << when;
                EXPECT_EQ(OpenedAgain(path), committed) << when;
                break;
            }
        }
    }
    EXPECT_GT(oldSeen, 20);
}

// Killed at random moments, without a tracer (TerminateProcess on Windows): moments spread over
// the time a whole run takes, from the child's start to its end.
TEST_F(KillTest, ACommitKilledAtRandomMomentsLeavesTheFileWhollyOldOrWhollyNew)
{
    Reset();
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(RunToEnd({kChild, path.string()}), 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::steady_clock::now() - started)
                           .count();
    EXPECT_EQ(OpenedAgain(path), committed);
    std::mt19937 random(15);
    for (int round = 0; round < 30; ++round) {
        Reset();
        ChildProcess child({kChild, path.string()});
        std::this_thread::sleep_for(
            std::chrono::microseconds(random() % static_cast<std::uint64_t>(whole + 1)));
        child.Kill();
        (void)child.Wait();
        ExpectWhole("round " + std::to_string(round));
    }
    EXPECT_EQ(oldSeen + newSeen, 30);
}

} // namespace
} // namespace byteloom
