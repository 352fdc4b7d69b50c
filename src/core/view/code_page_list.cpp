#include "view/code_page_list.h"

#include "common/utf.h"
#include "platform/code_page.h"

#include <string>

namespace byteloom {

namespace {

struct SupportedCodePage
{
    int number;
    const char *suffix;
    const char *face;
};

// No face of their own: the system's general font draws them, through its fallbacks for each
// script.
constexpr SupportedCodePage kSupported[] = {
    {874, " ( Thai )", ""},
    {932, " ( Japanese )", ""},
    {936, " ( Simplified Chinese )", ""},
    {949, " ( Korean )", ""},
    {950, " ( Traditional Chinese )", ""},
};

} // namespace

TextDecoder::TextDecoder() = default;
TextDecoder::~TextDecoder() = default;

CodePage *TextDecoder::ConverterFor(int codePage)
{
    auto found = converters_.find(codePage);
    if (found == converters_.end())
        found = converters_.emplace(codePage, CodePage::Open(codePage)).first;
    return found->second.get();
}

bool TextDecoder::Supports(int codePage)
{
    return ConverterFor(codePage) != nullptr;
}

std::string TextDecoder::ToUtf8(int codePage, std::span<const std::uint8_t> bytes)
{
    CodePage *converter = ConverterFor(codePage);
    if (!converter || bytes.empty())
        return std::string(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    const std::u16string units = converter->Decode(bytes);
    return units.empty() ? std::string(".") : Utf8OfUtf16(units);
}

std::vector<std::uint8_t> TextDecoder::FromUtf8(int codePage, std::string_view utf8)
{
    CodePage *converter = ConverterFor(codePage);
    const std::u16string units = Utf16OfWellFormedUtf8(utf8).value_or(std::u16string());
    if (!converter || units.empty())
        return {};
    const std::optional<std::string> text = converter->Encode(units);
    if (!text)
        return {};
    return std::vector<std::uint8_t>(text->begin(), text->end());
}

std::string TextDecoder::FromUtf8String(int codePage, std::string_view utf8)
{
    const std::vector<std::uint8_t> bytes = FromUtf8(codePage, utf8);
    return std::string(bytes.begin(), bytes.end());
}

std::string TextDecoder::FromUtf8Lossy(int codePage, std::string_view utf8, int &leftOut)
{
    std::string text = FromUtf8String(codePage, utf8);
    if (!text.empty() || utf8.empty())
        return text;
    for (std::size_t start = 0; start < utf8.size();) {
        std::size_t end = start + 1;
        while (end < utf8.size() && IsUtf8Continuation(utf8[end]))
            ++end;
        const std::string character = FromUtf8String(codePage, utf8.substr(start, end - start));
        if (character.empty())
            ++leftOut;
        text += character;
        start = end;
    }
    return text;
}

std::int32_t TextDecoder::FirstCodePoint(int codePage, std::span<const std::uint8_t> bytes)
{
    CodePage *converter = ConverterFor(codePage);
    if (!converter || bytes.empty())
        return bytes.empty() ? -1 : bytes.front();
    const std::u16string units = converter->Decode(bytes);
    if (units.empty())
        return -1;
    const std::int32_t first = units[0];
    if (first >= 0xD800 && first < 0xDC00 && units.size() > 1 && units[1] >= 0xDC00
        && units[1] < 0xE000)
        return ((first - 0xD800) << 10) + (units[1] - 0xDC00) + 0x10000;
    return first;
}

std::array<bool, 256> TextDecoder::LeadBytes(int codePage)
{
    CodePage *converter = ConverterFor(codePage);
    return converter ? converter->LeadBytes() : std::array<bool, 256>{};
}

CodePageList CodePageList::Enumerate(TextDecoder &decoder)
{
    CodePageList list;
    for (const SupportedCodePage &page : kSupported) {
        if (!decoder.Supports(page.number))
            continue;
        CodePageEntry entry;
        entry.name = std::to_string(page.number) + page.suffix;
        entry.number = page.number;
        entry.defaultFace = page.face;
        entry.configuredFace = page.face;
        entry.leadBytes = decoder.LeadBytes(page.number);
        list.entries_.push_back(std::move(entry));
    }
    return list;
}

int CodePageList::FindCodePageEntry(int number) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].number == number)
            return static_cast<int>(i);
    }
    return -1;
}

const CodePageEntry *CodePageList::At(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size())
        return nullptr;
    return &entries_[static_cast<std::size_t>(index)];
}

} // namespace byteloom
