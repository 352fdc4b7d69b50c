#include "search/search_pattern.h"

#include "common/number_text.h"
#include "common/utf.h"

#include <algorithm>
#include <map>

namespace byteloom {

namespace {

constexpr std::uint8_t kAsterisk = 0x2A;

std::string_view FieldText(std::string_view text)
{
    return text.substr(0, std::min(text.size(), kMaxPatternLength));
}

} // namespace

std::vector<bool> SearchPattern::WildcardPositions() const
{
    std::vector<bool> wildcard(bytes.size(), false);
    std::size_t asterisk = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == kAsterisk && asterisk < asteriskKinds.size())
            wildcard[i] = asteriskKinds[asterisk++] == AsteriskKind::Wildcard;
    }
    return wildcard;
}

void SearchPattern::Append(std::uint8_t byte, AsteriskKind kind)
{
    bytes.push_back(byte);
    if (byte == kAsterisk)
        asteriskKinds.push_back(kind);
}

SearchPattern PrepareTextPattern(std::string_view text)
{
    text = FieldText(text);
    SearchPattern pattern;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '*') {
            pattern.bytes.push_back(kAsterisk);
            pattern.asteriskKinds.push_back(AsteriskKind::Literal);
            ++i;
        } else {
            pattern.bytes.push_back(static_cast<std::uint8_t>(text[i]));
            if (text[i] == '*')
                pattern.asteriskKinds.push_back(AsteriskKind::Wildcard);
        }
    }
    return pattern;
}

std::string HexHistoryText(std::string_view text)
{
    std::string kept;
    std::copy_if(
        text.begin(), text.end(), std::back_inserter(kept), [](char c) { return c != ' '; });
    return kept;
}

std::optional<SearchPattern> ParseHexPattern(std::string_view text)
{
    const std::string digits = HexHistoryText(FieldText(text));
    SearchPattern pattern;
    for (std::size_t i = 0; i < digits.size();) {
        if (digits[i] == '*') {
            pattern.bytes.push_back(kAsterisk);
            pattern.asteriskKinds.push_back(AsteriskKind::Wildcard);
            ++i;
            continue;
        }
        if (i + 1 >= digits.size())
            return std::nullopt;
        const int high = DigitValue(digits[i], 16);
        const int low = DigitValue(digits[i + 1], 16);
        if (high < 0 || low < 0)
            return std::nullopt;
        const auto value = static_cast<std::uint8_t>(high * 16 + low);
        pattern.bytes.push_back(value);
        if (value == kAsterisk)
            pattern.asteriskKinds.push_back(AsteriskKind::Literal);
        i += 2;
    }
    return pattern;
}

std::int64_t FirstCandidate(std::int64_t caretOffset, bool selectionActive)
{
    return caretOffset == 0 && !selectionActive ? 0 : caretOffset + 1;
}

} // namespace byteloom

namespace byteloom {

std::string CleanSequence(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::string clean;
    for (const char c : text)
        if (c != '\r' && c != '\n')
            clean += c;
    return clean;
}

std::optional<RelativeQuery>
PrepareSequencePattern(std::string_view typed, std::string_view sequence, std::string &message)
{
    // Each character's first place in the sequence.
    std::map<char32_t, std::int32_t> places;
    std::int32_t place = 0;
    for (const char32_t code : CodePointsOfUtf8(sequence))
        places.emplace(code, place++);

    const std::u32string text = CodePointsOfUtf8(typed);
    RelativeQuery query;
    for (std::size_t i = 0; i < text.size() && query.places.size() < kMaxPatternLength; ++i) {
        char32_t c = text[i];
        if (c == '*') {
            query.places.emplace_back();
            continue;
        }
        if (c == '\\' && i + 1 < text.size() && text[i + 1] == '*') {
            ++i;
            c = '*';
        }
        const auto found = places.find(c);
        if (found == places.end()) {
            message = "\"" + Utf8OfCodePoint(c) + "\" is not in the sequence";
            return std::nullopt;
        }
        query.places.emplace_back(found->second);
    }
    return query;
}

} // namespace byteloom
