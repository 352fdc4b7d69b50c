#pragma once

#include "common/progress.h"
#include "search/search_pattern.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

class Document;
class TableFile;
struct CaretState;
struct CaretView;
struct TextEncoding;

enum class InputType { Text, Hex };
enum class SearchType { Value, Relative };

// The Find dialog's memory for the whole run: kept across documents, never stored.
struct SearchState
{
    static constexpr std::size_t kHistorySize = 10;
    static constexpr std::size_t kChoiceLength = 24;

    InputType inputType = InputType::Text;
    SearchType searchType = SearchType::Value;
    bool optionsHidden = false;
    std::string characterSetChoice = "ASCII";
    std::string layoutChoice = "Caps-Low-Num";
    std::vector<std::string> history; // oldest first
    // A relative search's values: 1 or 2 bytes each, 16-bit ones big-endian or not, and the
    // order of the characters: a custom sequence (UTF-8), or empty for their codes.
    int relativeWidth = 1;
    bool relativeBigEndian = false;
    std::string relativeSequence;
    SearchPattern lastPattern;  // of the last Value search
    RelativeQuery lastRelative; // of the last Relative one
    // The engine the last pattern was prepared for: Find Next searches with it, whatever a
    // dialog opened and cancelled since has shown.
    SearchType lastSearchType = SearchType::Value;

    // Keeps a typed text: the newest of at most 10, not twice in a row.
    void Remember(std::string text);
};

// The option list and its label as the dialog shows them in the state's mode: hidden in Hex
// mode; "Character Set:" with the character sets in Text + Value mode; "Font Table Layout:"
// with the layouts in Text + Relative mode. preselected is the first item (in display order)
// that begins with the remembered choice, without regard to case, or -1.
struct OptionList
{
    bool shown = false;
    std::string label;
    std::vector<std::string> items; // in display order
    int preselected = -1;
};
[[nodiscard]] OptionList OptionListFor(const SearchState &state);

// Opening the dialog: Text and Value chosen, the option list shown.
void OpenFindDialog(SearchState &state);

// A radio button chosen while the option list shows currentOption: the text is kept as the
// choice of the mode being left (24 characters at most), then the mode changes.
void ChooseInputType(SearchState &state, InputType type, std::string_view currentOption);
void ChooseSearchType(SearchState &state, SearchType type, std::string_view currentOption);

// Turns what was typed (UTF-8, the first 99 characters) into the pattern for the state's mode:
// hex digit pairs and "*" wildcards in Hex mode; in Text mode "*" is a wildcard and "\*" an
// asterisk, and the rest becomes bytes as typing in the text column makes them (through the
// table at offset, the shown code page, or UTF-16 units in the Unicode modes) for a Value
// search. A Relative search takes each character's place: its code in code page 1252, or its
// index in the custom sequence, or each hex byte's value, read at the state's width and byte
// order. Nothing when a byte is incomplete or a character cannot be encoded; the message says
// which.
struct PreparedFind
{
    std::optional<SearchPattern> pattern;  // for a Value search
    std::optional<RelativeQuery> relative; // for a Relative one
    std::string message;                   // why there is neither

    [[nodiscard]] bool Ready() const { return pattern || relative; }
};
[[nodiscard]] PreparedFind PrepareFind(const SearchState &state,
                                       std::string_view typed,
                                       const TableFile *table,
                                       std::int64_t offset,
                                       const TextEncoding &encoding);

// The dialog's confirm: remembers the text and the pattern when it could be prepared.
[[nodiscard]] PreparedFind ConfirmFind(SearchState &state,
                                       std::string_view typed,
                                       const TableFile *table,
                                       std::int64_t offset,
                                       const TextEncoding &encoding);

// Searches for the last pattern with the engine it was prepared for: from the byte after the
// caret (after the first byte of a selection, when the caret stands before it), or offset 0
// itself on a first search with nothing selected. Nothing on a miss, for an empty pattern, or
// when progress stops it.
[[nodiscard]] std::optional<std::int64_t> FindFromCaret(Document &document,
                                                        const SearchState &state,
                                                        const CaretState &caret,
                                                        const ProgressCallback &progress = {});

// How many bytes the last pattern covers: what a hit selects.
[[nodiscard]] std::int64_t LastMatchLength(const SearchState &state);

// A hit: the match is selected, its row becomes the top row and the caret stands on its first
// byte, in the text column or the hex column.
void ShowHit(CaretState &caret,
             const CaretView &view,
             std::int64_t hit,
             std::int64_t length,
             bool textColumn);

// Which column a hit puts the caret in: the text column when no table is current and, from the
// dialog, Text was the input type; Find Next takes the text column whenever no table is current.
[[nodiscard]] bool HitInTextColumn(const SearchState &state, bool tableCurrent, bool fromDialog);

inline constexpr std::string_view kNotFoundMessage = "Not found";
inline constexpr std::string_view kEmptyPatternMessage = "Please input something to find";

} // namespace byteloom
