#pragma once

#include "common/byte_range.h"
#include "platform/user_prompts.h"
#include "view/display_settings.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace byteloom {

inline constexpr std::string_view kSavePrompt
    = "Would you like to save your current work?\nPress cancel to return to current file.";
inline constexpr std::string_view kOpenDialogTitle = "Open a file";
inline constexpr std::string_view kSaveDialogTitle = "Save as...";
inline constexpr std::string_view kUnnamedTitle = "(Unnamed)";
inline constexpr std::string_view kOpenTableDialogTitle = "Open a Table";

// The filter list of the open and save dialogs, in its order, "All Files (*.*)" first.
[[nodiscard]] std::span<const FileFilter> DocumentFilters();

// "Table %s has been changed.\r\n\r\nWould you like to save?"
[[nodiscard]] std::string TableChangedQuestion(std::string_view tableTitle);
// A changed table that could not be written: the program stays, and so do the changes.
[[nodiscard]] std::string TableNotSavedMessage(std::string_view tableTitle, std::string_view why);

// "Size: %08X (1.5 MiB)", the status bar's size part: hexadecimal, then in bytes or binary units.
[[nodiscard]] std::string SizeStatusText(std::int64_t size);
// "Selected: 00000010-0000001F (16 bytes)", the first and last byte in the offset column's mode;
// nothing without a selection.
[[nodiscard]] std::string SelectionStatusText(const ByteRange &selected,
                                              const DisplaySettings &display,
                                              std::int64_t documentSize);

} // namespace byteloom
