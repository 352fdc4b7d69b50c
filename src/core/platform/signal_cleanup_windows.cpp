#include "platform/file_system.h"
#include "platform/signal_cleanup.h"
#include "platform/watch_list.h"

#include <windows.h>

#include <string>

namespace byteloom {

namespace {

// Windows runs the handler on a thread of its own while the program goes on.
WatchList<wchar_t, 32768> watched;

BOOL WINAPI RemoveAndStop(DWORD)
{
    (void)RemoveWatchedFiles();
    return FALSE; // the default handler then ends the process, as the key asked
}

} // namespace

int RemoveWatchedFiles()
{
    return watched.RemoveAll([](const wchar_t *path) { return DeleteFileW(path) != 0; });
}

int WatchOnSignals(const std::filesystem::path &path)
{
    std::error_code error;
    std::wstring text = std::filesystem::absolute(path, error).make_preferred().wstring();
    if (error)
        return -1;
    if (text.size() >= 2 && text[1] == L':')
        text = L"\\\\?\\" + text; // a long path is removed too
    return watched.Watch(text);
}

void ForgetOnSignals(int ticket)
{
    watched.Forget(ticket);
}

void RemoveTemporaryFilesOnSignals()
{
    SetConsoleCtrlHandler(RemoveAndStop, TRUE);
}

} // namespace byteloom
