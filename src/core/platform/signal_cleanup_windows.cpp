#include "platform/file_system.h"
#include "platform/signal_cleanup.h"
#include "platform/watch_list.h"
#include "platform/wide_path_windows.h"

#include <windows.h>

#include <mutex>
#include <string>

namespace byteloom {

namespace {

WatchList<wchar_t, 32768> watched;
// Windows runs the handler on a thread of its own while the program goes on: a file the
// program stops watching (a rollback file just sealed, to be kept) must never be removed as it
// does. The handler takes this lock and keeps it, so that the program waits until it ends.
std::mutex changing;

int RemoveAll()
{
    return watched.RemoveAll([](const wchar_t *path) { return DeleteFileW(path) != 0; });
}

BOOL WINAPI RemoveAndStop(DWORD)
{
    changing.lock();
    (void)RemoveAll();
    return FALSE; // the default handler then ends the process, as the key asked
}

} // namespace

int RemoveWatchedFiles()
{
    std::lock_guard lock(changing);
    return RemoveAll();
}

int WatchOnSignals(const std::filesystem::path &path)
{
    const std::wstring text = WidePath(path);
    std::lock_guard lock(changing);
    return watched.Watch(text);
}

void ForgetOnSignals(int ticket)
{
    std::lock_guard lock(changing);
    watched.Forget(ticket);
}

void RemoveTemporaryFilesOnSignals()
{
    SetConsoleCtrlHandler(RemoveAndStop, TRUE);
}

} // namespace byteloom
