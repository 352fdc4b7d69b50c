#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace byteloom {

// The sizes the Split File dialog offers ("4k" to "64k") and Expand File ("128k" to "2048k").
inline constexpr std::array<std::int64_t, 5> kBankSizes{0x1000, 0x2000, 0x4000, 0x8000, 0x10000};
inline constexpr std::array<std::int64_t, 5> kExpansionSizes{
    0x20000, 0x40000, 0x80000, 0x100000, 0x200000};
inline constexpr std::size_t kSizeFieldLength = 18;

// The Split File dialog as the user left it: the chosen radio size, and the two ticked fields.
struct SplitDialogFields
{
    std::int64_t chosenSize = kBankSizes[0];
    bool custom = false;
    std::string customText;
    bool header = false;
    std::string headerText;
};

struct SplitRequest
{
    std::int64_t bankSize = 0;
    std::int64_t headerSize = 0;
};

// OK of either dialog: what to do, the messages to show first, and whether the dialog stays
// open instead.
template<typename Request>
struct DialogAnswer
{
    std::optional<Request> request; // nothing: the dialog stays open
    std::vector<std::string> messages;
};

// "Header (Hex)" ticked but empty: "Please input a header size", and the split goes on with a
// header of 0; "Custom Size" ticked but empty: "Please input a bank size", and the dialog stays.
// Fields are read as hexadecimal up to the first other character.
[[nodiscard]] DialogAnswer<SplitRequest> ReadSplitDialog(const SplitDialogFields &fields);

struct ExpandDialogFields
{
    std::int64_t chosenSize = kExpansionSizes[0];
    bool custom = false;
    std::string customText;
    std::string fillText; // "Initialization Value"
};

struct ExpandRequest
{
    std::int64_t size = 0;
    std::uint8_t fill = 0;
};

// "Custom Size" ticked but empty: "Please input an expansion size", and the dialog stays. The
// fill is the low 8 bits of the hexadecimal "Initialization Value", or 0 when it is empty.
[[nodiscard]] DialogAnswer<ExpandRequest> ReadExpandDialog(const ExpandDialogFields &fields);

// What the status bar says after a split: how many bank files, in which folder under which
// names, and what was left over.
[[nodiscard]] std::string SplitSummary(const std::filesystem::path &document,
                                       std::int64_t banksWritten,
                                       std::int64_t bytesLeftOver);

} // namespace byteloom
