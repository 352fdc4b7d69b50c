#include "common/path_text.h"
#include "platform/file_system.h"
#include "platform/signal_cleanup.h"

#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

#include <array>
#include <atomic>

namespace byteloom {

namespace {

// A signal handler can reach nothing but process-wide state, and may only read it: the paths
// are fixed buffers, and a slot is published only once its path is complete. This is the one
// piece of mutable global state in the core, and only the
// operating system's file system reaches it.
struct Slot
{
    std::atomic<bool> used{false};
    std::atomic<bool> ready{false};
    char path[PATH_MAX]{};
};
std::array<Slot, 32> slots;

extern "C" void RemoveAndStop(int signal)
{
    (void)RemoveWatchedFiles();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

int RemoveWatchedFiles()
{
    int removed = 0;
    for (Slot &slot : slots) {
        if (slot.ready.load() && ::unlink(slot.path) == 0)
            ++removed;
    }
    return removed;
}

int WatchOnSignals(const std::filesystem::path &path)
{
    const std::string text = TextOfPath(path);
    if (text.size() >= PATH_MAX)
        return -1;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        bool expected = false;
        if (slots[i].used.compare_exchange_strong(expected, true)) {
            std::memcpy(slots[i].path, text.c_str(), text.size() + 1);
            slots[i].ready.store(true);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void ForgetOnSignals(int ticket)
{
    if (ticket < 0 || ticket >= static_cast<int>(slots.size()))
        return;
    Slot &slot = slots[static_cast<std::size_t>(ticket)];
    slot.ready.store(false);
    slot.used.store(false);
}

void RemoveTemporaryFilesOnSignals()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, RemoveAndStop);
}

} // namespace byteloom
