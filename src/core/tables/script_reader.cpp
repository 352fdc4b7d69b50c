#include "tables/script_reader.h"

#include "common/number_text.h"
#include "tables/table_codec.h"

#include <algorithm>

namespace byteloom {

namespace {

std::optional<std::uint32_t> HexValue(std::string_view digits)
{
    std::uint32_t value = 0;
    for (const char c : digits) {
        const int digit = DigitValue(c, 16);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

// "<" then 8 to 16 hex digits then ">" at pos + opening; its line break or the end follows.
std::optional<OffsetHeader>
BracketedOffsetAt(std::string_view text, std::size_t pos, std::string_view opening)
{
    if (text.substr(pos, opening.size()) != opening)
        return std::nullopt;
    const std::size_t first = pos + opening.size();
    const std::size_t digits = text.substr(first, 17).find('>');
    if (digits == std::string_view::npos || digits < 8)
        return std::nullopt;
    const std::size_t end = first + digits + 1;
    if (end < text.size() && text[end] != '*')
        return std::nullopt;
    const auto offset = ParseWholeOffset(text.substr(first, digits), 16);
    if (!offset || (digits > 8 && *offset <= 0xFFFFFFFF))
        return std::nullopt;
    return OffsetHeader{*offset, end - pos + (end < text.size() ? 1 : 0)};
}

// A byte code "<x>" or "<xx>" at pos: the byte and the code's length.
std::optional<std::pair<std::uint8_t, std::size_t>> ByteCodeAt(std::string_view text,
                                                               std::size_t pos)
{
    if (text[pos] != '<')
        return std::nullopt;
    for (std::size_t digits = 1; digits <= 2; ++digits) {
        if (pos + digits + 2 > text.size() || text[pos + digits + 1] != '>')
            continue;
        if (const auto value = HexValue(text.substr(pos + 1, digits)))
            return std::pair{static_cast<std::uint8_t>(*value), digits + 2};
    }
    return std::nullopt;
}

} // namespace

std::optional<OffsetHeader> HeaderAt(std::string_view text, std::size_t pos)
{
    return BracketedOffsetAt(text, pos, "<");
}

std::optional<OffsetHeader> EndMarkAt(std::string_view text, std::size_t pos)
{
    return BracketedOffsetAt(text, pos, kEndMarkOpening);
}

ScriptReader::ScriptReader(const TableFile &table, bool headers, bool shortest)
    : table_(table)
    , headers_(headers)
    , shortest_(shortest && table.SubtableCount() == 0 && !table.HasLinkedEntries())
{
    for (int number = 0; number <= table.SubtableCount(); ++number) {
        std::vector<const TableEntry *> &labelled = labelled_.emplace_back();
        for (const TableEntry &entry : table.GetSubtable(number).Entries()) {
            // Longest first may read an entry across a line break, which runs of text end at.
            if (entry.text.find('*') != std::string::npos)
                shortest_ = false;
            if (entry.label.empty())
                continue;
            labelled.push_back(&entry);
            longestLabel_ = std::max(longestLabel_, entry.label.size());
            labelStarts_[static_cast<unsigned char>(entry.label[0])] = true;
        }
        std::stable_sort(labelled.begin(), labelled.end(), [](auto *a, auto *b) {
            return a->label.size() > b->label.size();
        });
    }
}

std::size_t ScriptReader::SyntaxLookAhead(std::string_view text, std::size_t pos) const
{
    // A header or an end mark of sixteen digits with its line breaks.
    constexpr std::size_t kLongestMark = 25;
    const char c = text[pos];
    std::size_t ahead = 1;
    if (headers_ && (pos == 0 || text[pos - 1] == '*' || c == '*'))
        ahead = std::max(ahead, kLongestMark);
    if (headers_ && c == '<')
        ahead = std::max<std::size_t>(ahead, 4); // a byte code
    if (table_.HasLinkedEntries() && c == '<')
        ahead = std::max<std::size_t>(ahead, 5); // a parameter byte
    if (labelStarts_[static_cast<unsigned char>(c)])
        ahead = std::max(ahead, longestLabel_ + 2);
    return ahead;
}

ScriptReader::Piece ScriptReader::Read(std::string_view text,
                                       std::size_t pos,
                                       std::int64_t offset,
                                       std::vector<std::uint8_t> &bytes)
{
    using Kind = Piece::Kind;
    skipped_.clear();
    if (headers_) {
        const bool lineStart = pos == 0 || text[pos - 1] == '*';
        if (lineStart) {
            if (const auto header = HeaderAt(text, pos))
                return {Kind::Header, pos + header->length, header->offset};
            if (const auto end = EndMarkAt(text, pos))
                return {Kind::End, pos + end->length, end->offset};
        }
        // The line break before an end mark is its own.
        if (text[pos] == '*') {
            if (const auto end = EndMarkAt(text, pos + 1))
                return {Kind::End, pos + 1 + end->length, end->offset};
        }
    }
    if (const std::size_t next = LabelledMarker(text, pos, offset, bytes); next != pos)
        return {Kind::Keys, next, 0};
    if (text[pos] == '*')
        return {Kind::Keys, Stars(text, pos, offset, bytes), 0};
    if (headers_) {
        if (const auto code = ByteCodeAt(text, pos)) {
            bytes.push_back(code->first);
            return {Kind::Keys, pos + code->second, 0};
        }
    }
    // Through a table with linked entries, "<$XX>" is a parameter byte as it stands.
    if (table_.HasLinkedEntries()) {
        if (const auto parameter = ParameterCodeAt(text, pos)) {
            bytes.push_back(*parameter);
            return {Kind::Keys, pos + 5, 0};
        }
    }
    const EncodedEntry encoded = shortest_
                                     ? ShortestAt(text, pos)
                                     : EncodeLongest(table_, SubtableFor(offset), text.substr(pos));
    if (!encoded.entry) {
        const std::size_t length = CharacterLength(table_, text, pos);
        skipped_.emplace_back(pos, length);
        return {Kind::Keys, pos + length, 0};
    }
    AppendKeyBytes(encoded.entry->key, bytes);
    // What goes with a switching or linked entry follows its text, and is read with it.
    const std::size_t next
        = EncodeWhatFollows(table_, *encoded.entry, text, pos + encoded.length, bytes);
    return {Kind::Keys, next, 0};
}

// A marker key's label and the line breaks the dump wrote after it ("<end>" and two for a
// string end, "<br>" and one for a line break) are that key; pos when none stands here.
std::size_t ScriptReader::LabelledMarker(std::string_view text,
                                         std::size_t pos,
                                         std::int64_t at,
                                         std::vector<std::uint8_t> &bytes)
{
    const auto number = static_cast<std::size_t>(table_.FindSubtableForOffset(at));
    for (const TableEntry *entry : labelled_[number]) {
        if (!text.substr(pos).starts_with(entry->label))
            continue;
        AppendKeyBytes(entry->key, bytes);
        std::size_t next = pos + entry->label.size();
        const std::size_t breaks = entry->text == kEndStringMarker ? 2 : 1;
        for (std::size_t k = 0; k < breaks && next < text.size() && text[next] == '*'; ++k)
            ++next;
        return next;
    }
    return pos;
}

// A run of k "*", each through the subtable for the offset its key is written to: the entry
// "*" where that subtable has one; else line breaks. With headers, the last two of a run that a
// header follows (or a lone one) are a string end, and the last "*" of a run that the end mark
// follows is the mark's own; without headers, where the subtable has an end-string key, an odd
// run's first is a line break and every two after it a string end. A break whose key the
// subtable lacks is skipped.
std::size_t ScriptReader::Stars(std::string_view text,
                                std::size_t pos,
                                std::int64_t offset,
                                std::vector<std::uint8_t> &bytes)
{
    const std::size_t end = text.find_first_not_of('*', pos);
    std::size_t next = end == std::string_view::npos ? text.size() : end;
    const bool endMarkAfter = headers_ && EndMarkAt(text, next).has_value();
    if (endMarkAfter)
        --next;
    const bool headerAfter = headers_ && !endMarkAfter && HeaderAt(text, next).has_value();
    const std::size_t first = bytes.size();
    for (std::size_t i = pos; i < next;) {
        const std::int64_t keyOffset = offset + static_cast<std::int64_t>(bytes.size() - first);
        const Subtable &subtable = SubtableFor(keyOffset);
        const std::size_t left = next - i;
        const TableEntry *entry = subtable.FindByText("*");
        std::size_t stars = 1;
        if (!entry) {
            const TableEntry *endString = subtable.FindByText(kEndStringMarker);
            const bool pairEnds = headers_ ? headerAfter && left <= 2 : left % 2 == 0;
            if (endString && pairEnds) {
                entry = endString;
                stars = std::min<std::size_t>(2, left);
            } else {
                entry = subtable.FindByText(kNewlineMarker);
            }
        }
        if (entry)
            AppendKeyBytes(entry->key, bytes);
        else
            skipped_.emplace_back(i, 1);
        i += stars;
    }
    return next;
}

bool ScriptReader::SyntaxAt(std::string_view text, std::size_t pos) const
{
    if (text[pos] == '*' || (headers_ && ByteCodeAt(text, pos))
        || (table_.HasLinkedEntries() && ParameterCodeAt(text, pos)))
        return true;
    if (!labelStarts_[static_cast<unsigned char>(text[pos])])
        return false;
    return std::any_of(labelled_[0].begin(), labelled_[0].end(), [&](const TableEntry *entry) {
        return text.substr(pos).starts_with(entry->label);
    });
}

EncodedEntry ScriptReader::ShortestAt(std::string_view text, std::size_t pos)
{
    if (runText_ == text.data() && pos >= runStart_ && pos - runStart_ < runChoice_.size())
        return runChoice_[pos - runStart_];
    std::size_t end = pos + 1;
    while (end < text.size() && !SyntaxAt(text, end))
        ++end;
    const Subtable &subtable = table_.GetSubtable(0);
    const auto longest = static_cast<std::size_t>(std::max(table_.GetMaxTextLen(), 1));
    // cost[i]: the fewest skipped characters, then bytes, that encode text[i, end).
    const std::size_t count = end - pos;
    std::vector<std::pair<std::int64_t, std::int64_t>> cost(count + 1, {0, 0});
    runChoice_.assign(count, EncodedEntry{});
    for (std::size_t i = count; i-- > 0;) {
        const std::size_t at = pos + i;
        bool matched = false;
        for (std::size_t n = std::min(longest, count - i); n >= 1; --n) {
            const TableEntry *entry = subtable.FindByText(text.substr(at, n));
            if (!entry)
                continue;
            const std::pair<std::int64_t, std::int64_t> via{
                cost[i + n].first, cost[i + n].second + KeyWidth(entry->key)};
            // Strictly fewer: on a tie the longer entry, tried first, stays.
            if (!matched || via < cost[i]) {
                cost[i] = via;
                runChoice_[i] = {entry, n};
            }
            matched = true;
        }
        if (!matched) {
            const std::size_t length = std::min(CharacterLength(table_, text, at), count - i);
            cost[i] = {cost[i + length].first + 1, cost[i + length].second};
        }
    }
    runText_ = text.data();
    runStart_ = pos;
    return runChoice_[0];
}

} // namespace byteloom
