#include "common/path_text.h"
#include "platform/file_system.h"
#include "platform/signal_cleanup.h"
#include "platform/watch_list.h"

#include <climits>
#include <csignal>
#include <unistd.h>

namespace byteloom {

namespace {

WatchList<char, PATH_MAX> watched;

extern "C" void RemoveAndStop(int signal)
{
    (void)RemoveWatchedFiles();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

int RemoveWatchedFiles()
{
    return watched.RemoveAll([](const char *path) { return ::unlink(path) == 0; });
}

int WatchOnSignals(const std::filesystem::path &path)
{
    return watched.Watch(TextOfPath(path));
}

void ForgetOnSignals(int ticket)
{
    watched.Forget(ticket);
}

void RemoveTemporaryFilesOnSignals()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, RemoveAndStop);
}

} // namespace byteloom
