#pragma once

#include <cstdint>

class QDockWidget;
class QListWidget;

namespace byteloom {

class CommandHost;

// The Search menu: Find Pointers (to the caret, or the selection's start), whose hits are listed
// in a panel beside the data window, Follow Pointer and Back. The pointer forms, the search and
// the reading of the dialog live in the core.
class PointerCommands
{
public:
    explicit PointerCommands(CommandHost &host);

private:
    void FindPointersWithDialog();
    void FollowPointer();
    void Back();
    // Goes to offset, keeping the caret's place for Back.
    void GoFromCaret(std::int64_t offset);
    void BackFollows();

    CommandHost &host_;
    QDockWidget *panel_ = nullptr;
    QListWidget *hits_ = nullptr;
};

} // namespace byteloom
