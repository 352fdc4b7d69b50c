#include "platform/file_system.h"
#include "platform/signal_cleanup.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstring>
#include <string>

namespace byteloom {

namespace {

// The handler runs on a thread of its own while the program goes on; as on Linux, it only reads
// fixed buffers, and a slot is published only once its path is complete.
constexpr std::size_t kLongestPath = 32768;

struct Slot
{
    std::atomic<bool> used{false};
    std::atomic<bool> ready{false};
    wchar_t path[kLongestPath]{};
};
std::array<Slot, 32> slots;

BOOL WINAPI RemoveAndStop(DWORD)
{
    (void)RemoveWatchedFiles();
    return FALSE; // the default handler then ends the process, as the key asked
}

} // namespace

int RemoveWatchedFiles()
{
    int removed = 0;
    for (Slot &slot : slots) {
        if (slot.ready.load() && DeleteFileW(slot.path))
            ++removed;
    }
    return removed;
}

int WatchOnSignals(const std::filesystem::path &path)
{
    std::error_code error;
    std::wstring text = std::filesystem::absolute(path, error).make_preferred().wstring();
    if (text.size() >= 2 && text[1] == L':')
        text = L"\\\\?\\" + text; // a long path is removed too
    if (error || text.size() >= kLongestPath)
        return -1;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        bool expected = false;
        if (slots[i].used.compare_exchange_strong(expected, true)) {
            std::memcpy(slots[i].path, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
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
    SetConsoleCtrlHandler(RemoveAndStop, TRUE);
}

} // namespace byteloom
