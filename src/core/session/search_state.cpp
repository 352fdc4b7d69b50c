#include "session/search_state.h"

#include "common/utf.h"
#include "search/search_engines.h"
#include "session/editing.h"
#include "tables/table_codec.h"
#include "view/caret_state.h"
#include "view/code_page_list.h"
#include "view/text_mode.h"

#include <algorithm>
#include <cctype>

namespace byteloom {

namespace {

constexpr std::uint8_t kAsterisk = 0x2A;
constexpr int kRelativeCodePage = 1252;

// Each list shows in the reverse of the order the items were added.
const std::vector<std::string> kCharacterSets{"EBCDIC", "Unicode", "ASCII(7-bit)"};
const std::vector<std::string> kLayouts{
    "Low-Num-Caps", "Low-Caps-Num", "Num-Low-Caps", "Num-Caps-Low", "Caps-Num-Low", "Caps-Low-Num"};

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
           && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
                  return std::tolower(static_cast<unsigned char>(a))
                         == std::tolower(static_cast<unsigned char>(b));
              });
}

void KeepChoice(SearchState &state, std::string_view currentOption)
{
    if (state.inputType != InputType::Text)
        return;
    std::string &choice
        = state.searchType == SearchType::Value ? state.characterSetChoice : state.layoutChoice;
    choice = std::string(currentOption.substr(0, SearchState::kChoiceLength));
}

// Typed text between asterisks, as the bytes the mode searches for.
std::optional<std::vector<std::uint8_t>> SegmentBytes(const SearchState &state,
                                                      std::string_view utf8,
                                                      const TableFile *table,
                                                      std::int64_t offset,
                                                      const TextEncoding &encoding)
{
    if (utf8.empty())
        return std::vector<std::uint8_t>();
    if (state.searchType == SearchType::Relative) {
        auto bytes = encoding.decoder.FromUtf8(kRelativeCodePage, utf8);
        return bytes.empty() ? std::nullopt : std::optional(std::move(bytes));
    }
    if (table && !encoding.display.unicodeText) {
        const std::string text = encoding.decoder.FromUtf8String(table->GetCodePage(), utf8);
        if (text.empty())
            return std::nullopt;
        return EncodeTextExactly(*table, text, offset);
    }
    auto bytes = TextAsDocumentBytes(encoding.display, encoding.codePages, encoding.decoder, utf8);
    return bytes.empty() ? std::nullopt : std::optional(std::move(bytes));
}

PreparedFind PrepareTypedText(const SearchState &state,
                              std::string_view typed,
                              const TableFile *table,
                              std::int64_t offset,
                              const TextEncoding &encoding)
{
    // A wildcard stands for one character: a unit of two bytes in the Unicode modes.
    const bool units = state.searchType == SearchType::Value && encoding.display.unicodeText;
    SearchPattern pattern;
    std::string segment;
    const auto flush = [&]() {
        const auto bytes = SegmentBytes(
            state, segment, table, offset + static_cast<std::int64_t>(pattern.length()), encoding);
        if (!bytes)
            return false;
        for (const std::uint8_t byte : *bytes)
            pattern.Append(byte, AsteriskKind::Literal);
        segment.clear();
        return true;
    };
    for (std::size_t i = 0; i < typed.size(); ++i) {
        if (typed[i] == '\\' && i + 1 < typed.size() && typed[i + 1] == '*') {
            segment += '*'; // an asterisk to find, encoded as any other character
            ++i;
        } else if (typed[i] == '*') {
            if (!flush())
                return {std::nullopt, std::nullopt, ""};
            for (int k = 0; k < (units ? 2 : 1); ++k)
                pattern.Append(kAsterisk, AsteriskKind::Wildcard);
        } else {
            segment += typed[i];
        }
    }
    if (!flush())
        return {std::nullopt, std::nullopt, ""};
    return {std::move(pattern), std::nullopt, ""};
}

} // namespace

void SearchState::Remember(std::string text)
{
    if (!history.empty() && history.back() == text)
        return;
    if (history.size() == kHistorySize)
        history.erase(history.begin());
    history.push_back(std::move(text));
}

OptionList OptionListFor(const SearchState &state)
{
    OptionList list;
    if (state.inputType == InputType::Hex)
        return list;
    list.shown = true;
    const bool value = state.searchType == SearchType::Value;
    list.label = value ? "Character Set:" : "Font Table Layout:";
    list.items = value ? kCharacterSets : kLayouts;
    const std::string &choice = value ? state.characterSetChoice : state.layoutChoice;
    for (std::size_t i = 0; i < list.items.size(); ++i) {
        if (StartsWithIgnoringCase(list.items[i], choice)) {
            list.preselected = static_cast<int>(i);
            break;
        }
    }
    return list;
}

void OpenFindDialog(SearchState &state)
{
    state.inputType = InputType::Text;
    state.searchType = SearchType::Value;
    state.optionsHidden = false;
}

void ChooseInputType(SearchState &state, InputType type, std::string_view currentOption)
{
    KeepChoice(state, currentOption);
    state.inputType = type;
    state.optionsHidden = type == InputType::Hex;
}

void ChooseSearchType(SearchState &state, SearchType type, std::string_view currentOption)
{
    KeepChoice(state, currentOption);
    state.searchType = type;
}

PreparedFind PrepareFind(const SearchState &state,
                         std::string_view typed,
                         const TableFile *table,
                         std::int64_t offset,
                         const TextEncoding &encoding)
{
    typed = FirstCharacters(typed, kMaxPatternLength);
    // An empty pattern would match everywhere.
    if (state.inputType == InputType::Hex ? HexHistoryText(typed).empty() : typed.empty())
        return {std::nullopt, std::nullopt, std::string(kEmptyPatternMessage)};
    const bool relative = state.searchType == SearchType::Relative;
    // The places of a relative search, read at the state's width and byte order.
    const auto relativeOf = [&](RelativeQuery query) {
        query.width = state.relativeWidth == 2 ? 2 : 1;
        query.bigEndian = state.relativeBigEndian;
        return PreparedFind{std::nullopt, std::move(query), ""};
    };
    if (state.inputType == InputType::Hex) {
        auto pattern = ParseHexPattern(typed);
        if (!pattern)
            return {std::nullopt, std::nullopt, std::string(kIncompleteHexMessage)};
        if (relative)
            return relativeOf(RelativeQueryOf(*pattern));
        return {std::move(pattern), std::nullopt, ""};
    }
    if (relative && !state.relativeSequence.empty()) {
        std::string message;
        auto query = PrepareSequencePattern(typed, state.relativeSequence, message);
        if (!query)
            return {std::nullopt, std::nullopt, message};
        return relativeOf(std::move(*query));
    }
    PreparedFind prepared = PrepareTypedText(state, typed, table, offset, encoding);
    if (relative && prepared.pattern) {
        const RelativeQuery query = RelativeQueryOf(*prepared.pattern);
        return relativeOf(query);
    }
    if (!prepared.pattern) {
        const std::string where = state.searchType == SearchType::Relative ? "1252 (Latin I)"
                                  : table && !encoding.display.unicodeText
                                      ? "the table " + table->GetTitle()
                                      : TextModeNameOf(encoding.display, encoding.codePages);
        prepared.message = "Some of these characters cannot be searched for in " + where + ": \""
                           + std::string(typed) + "\"";
    }
    return prepared;
}

PreparedFind ConfirmFind(SearchState &state,
                         std::string_view typed,
                         const TableFile *table,
                         std::int64_t offset,
                         const TextEncoding &encoding)
{
    PreparedFind prepared = PrepareFind(state, typed, table, offset, encoding);
    if (!prepared.Ready())
        return prepared;
    const std::string_view field = FirstCharacters(typed, kMaxPatternLength);
    state.Remember(state.inputType == InputType::Hex ? HexHistoryText(field) : std::string(field));
    if (prepared.pattern)
        state.lastPattern = *prepared.pattern;
    if (prepared.relative)
        state.lastRelative = *prepared.relative;
    state.lastSearchType = state.searchType;
    return prepared;
}

std::optional<std::int64_t> FindFromCaret(Document &document,
                                          const SearchState &state,
                                          const CaretState &caret,
                                          const ProgressCallback &progress)
{
    if (LastMatchLength(state) == 0)
        return std::nullopt;
    // After a hit the caret may stand before the match's first byte (a UTF-16 caret stands on
    // a unit's first byte): the next search still starts after the match's first byte.
    std::int64_t from = caret.Offset();
    if (caret.selection.active)
        from = std::max(from, SelectedSpan(caret.selection).offset);
    const std::int64_t first = FirstCandidate(from, caret.selection.active);
    return state.lastSearchType == SearchType::Value
               ? ValueSearch(document, state.lastPattern, first, progress)
               : RelativeSearch(document, state.lastRelative, first, progress);
}

std::int64_t LastMatchLength(const SearchState &state)
{
    return static_cast<std::int64_t>(state.lastSearchType == SearchType::Value
                                         ? state.lastPattern.length()
                                         : state.lastRelative.ByteLength());
}

void ShowHit(CaretState &caret,
             const CaretView &view,
             std::int64_t hit,
             std::int64_t length,
             bool textColumn)
{
    GoTo(caret, view, hit);
    if (textColumn)
        caret.column = caret.nibbleMark = caret.column + kBytesPerRow;
    caret.selection = {hit, hit + length, true};
}

bool HitInTextColumn(const SearchState &state, bool tableCurrent, bool fromDialog)
{
    return !tableCurrent && (!fromDialog || state.inputType == InputType::Text);
}

} // namespace byteloom
