#pragma once

#include <span>

namespace byteloom {

// One entry of a menu state: a command made available or greyed.
struct MenuChange
{
    int command;
    bool enabled;
};

// The commands greyed in the menus as the program starts, before any state is applied.
[[nodiscard]] std::span<const int> InitiallyGreyedCommands();

// The fixed lists of the four menu states; commands not named keep their state.
[[nodiscard]] std::span<const MenuChange> NoDocumentMenuState();
[[nodiscard]] std::span<const MenuChange> DocumentOpenMenuState();
// A selection was made: on a paged document Cut stays grey, since it cannot shrink the file.
[[nodiscard]] std::span<const MenuChange> SelectionMadeMenuState(bool paged);
[[nodiscard]] std::span<const MenuChange> SelectionDroppedMenuState();

} // namespace byteloom
