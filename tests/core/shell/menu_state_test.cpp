#include "shell/command_ids.h"
#include "shell/menu_state.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace byteloom {
namespace {

std::optional<bool> StateOf(std::span<const MenuChange> state, int command)
{
    const auto found
        = std::find_if(state.begin(), state.end(), [command](const MenuChange &change) {
              return change.command == command;
          });
    return found == state.end() ? std::nullopt : std::optional(found->enabled);
}

TEST(MenuState, StatesEnableAndGreyTheirCommands)
{
    EXPECT_EQ(StateOf(NoDocumentMenuState(), kCmdClose), false);
    EXPECT_EQ(StateOf(NoDocumentMenuState(), kCmdCopyHexAsText), false);
    EXPECT_EQ(StateOf(DocumentOpenMenuState(), kCmdClose), true);
    EXPECT_EQ(StateOf(DocumentOpenMenuState(), kCmdUndo), false);
    EXPECT_EQ(StateOf(DocumentOpenMenuState(), kCmdCopy), std::nullopt);
    EXPECT_EQ(StateOf(DocumentOpenMenuState(), kCmdFindNext), std::nullopt);
    EXPECT_EQ(StateOf(SelectionMadeMenuState(false), kCmdCut), true);
    EXPECT_EQ(StateOf(SelectionMadeMenuState(true), kCmdCut), false);
    EXPECT_EQ(StateOf(SelectionDroppedMenuState(), kCmdDumpSelected), false);
    const auto greyed = InitiallyGreyedCommands();
    EXPECT_EQ(std::count(greyed.begin(), greyed.end(), kCmdExit), 0);
    EXPECT_EQ(std::count(greyed.begin(), greyed.end(), kCmdCopyHexAsText), 0);
    EXPECT_EQ(std::count(greyed.begin(), greyed.end(), kCmdCopy), 1);
}

TEST(MenuState, StatusBarPartsFollowTheWindowWidth)
{
    const StatusBarEdges layout = StatusBarLayout(800, 7);
    EXPECT_EQ(std::vector<int>(layout.edges, layout.edges + 7),
              (std::vector<int>{77, 800 - 336, 800 - 217, 800 - 98, 800 - 70, 800 - 42, 800}));
}

} // namespace
} // namespace byteloom
