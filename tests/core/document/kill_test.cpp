#include "document/document.h"
#include "support/documents.h"
#include "support/temp_folder.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

namespace byteloom {
namespace {

using namespace test;

constexpr const char *kChild = BYTELOOM_COMMIT_CHILD;

pid_t Start(const std::vector<std::string> &arguments)
{
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char *> argv;
        for (const std::string &argument : arguments)
            argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

int Finish(pid_t child)
{
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

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
    if (!std::filesystem::exists("/usr/bin/strace"))
        GTEST_SKIP() << "strace is not installed (scripts/install-deps installs it)";
    for (const std::string call :
         {"openat", "pread64", "pwrite64", "fsync", "ftruncate", "unlink", "close"}) {
        for (int n = 1; n < 400; ++n) {
            Reset();
            const int status
                = Finish(Start({"/usr/bin/strace",
                                "-qq",
                                "-o",
                                "/dev/null",
                                "-e",
                                "trace=" + call,
                                "-e",
                                "inject=" + call + ":signal=KILL:when=" + std::to_string(n),
                                kChild,
                                path.string()}));
            const std::string when = call + " #" + std::to_string(n);
            ExpectWhole(when);
            if (!WIFSIGNALED(status)) {
                // Fewer calls than n: the commit ran to its end.
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << when;
                EXPECT_EQ(OpenedAgain(path), committed) << when;
                break;
            }
        }
    }
    EXPECT_GT(oldSeen, 20);
}

// Killed at random moments, without a tracer.
TEST_F(KillTest, ACommitKilledAtRandomMomentsLeavesTheFileWhollyOldOrWhollyNew)
{
    std::mt19937 random(15);
    for (int round = 0; round < 30; ++round) {
        Reset();
        const pid_t child = Start({kChild, path.string()});
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        kill(child, SIGKILL);
        (void)Finish(child);
        ExpectWhole("round " + std::to_string(round));
    }
    EXPECT_EQ(oldSeen + newSeen, 30);
}

} // namespace
} // namespace byteloom
