#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace byteloom {

// The paths that a stop (a signal on Linux, Ctrl+C on Windows) removes. Its handler can reach
// nothing but process-wide state, and may only read it at any moment: the paths are fixed
// buffers, and a slot is published only once its path is complete. This is the one piece of
// mutable global state in the core, and only the operating system's file system reaches it.
template<class Char, std::size_t Longest>
class WatchList
{
public:
    // A ticket for Forget, or -1 when the path is too long or every slot is taken.
    int Watch(std::basic_string_view<Char> path)
    {
        if (path.size() >= Longest)
            return -1;
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            bool expected = false;
            if (slots_[i].used.compare_exchange_strong(expected, true)) {
                std::memcpy(slots_[i].path, path.data(), path.size() * sizeof(Char));
                slots_[i].path[path.size()] = Char{};
                slots_[i].ready.store(true);
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    void Forget(int ticket)
    {
        if (ticket < 0 || ticket >= static_cast<int>(slots_.size()))
            return;
        Slot &slot = slots_[static_cast<std::size_t>(ticket)];
        slot.ready.store(false);
        slot.used.store(false);
    }

    // Calls remove on each published path; the number of paths it removed.
    template<class Remove>
    int RemoveAll(Remove remove)
    {
        int removed = 0;
        for (Slot &slot : slots_) {
            if (slot.ready.load() && remove(slot.path))
                ++removed;
        }
        return removed;
    }

private:
    struct Slot
    {
        std::atomic<bool> used{false};
        std::atomic<bool> ready{false};
        Char path[Longest]{};
    };
    std::array<Slot, 32> slots_;
};

} // namespace byteloom
