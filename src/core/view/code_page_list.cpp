#include "view/code_page_list.h"

#include "common/lead_bytes.h"
#include "common/utf.h"

#include <unicode/ucnv.h>

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

void TextDecoder::Closer::operator()(UConverter *converter) const
{
    ucnv_close(converter);
}

TextDecoder::TextDecoder() = default;
TextDecoder::~TextDecoder() = default;

UConverter *TextDecoder::ConverterFor(int codePage)
{
    auto found = converters_.find(codePage);
    if (found != converters_.end())
        return found->second.get();
    UErrorCode error = U_ZERO_ERROR;
    const std::string name = "windows-" + std::to_string(codePage);
    UConverter *converter = ucnv_open(name.c_str(), &error);
    if (U_FAILURE(error))
        converter = nullptr;
    converters_.emplace(codePage, std::unique_ptr<UConverter, Closer>(converter));
    return converter;
}

bool TextDecoder::Supports(int codePage)
{
    return ConverterFor(codePage) != nullptr;
}

std::string TextDecoder::ToUtf8(int codePage, std::span<const std::uint8_t> bytes)
{
    UConverter *converter = ConverterFor(codePage);
    if (!converter || bytes.empty())
        return std::string(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    std::u16string units(bytes.size() * 2 + 2, u'\0');
    UErrorCode error = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter,
                                         units.data(),
                                         static_cast<int32_t>(units.size()),
                                         reinterpret_cast<const char *>(bytes.data()),
                                         static_cast<int32_t>(bytes.size()),
                                         &error);
    if (U_FAILURE(error))
        return ".";
    units.resize(static_cast<std::size_t>(length));
    return Utf8OfUtf16(units);
}

std::vector<std::uint8_t> TextDecoder::FromUtf8(int codePage, std::string_view utf8)
{
    UConverter *converter = ConverterFor(codePage);
    const std::u16string units = Utf16OfWellFormedUtf8(utf8).value_or(std::u16string());
    if (!converter || units.empty())
        return {};
    // A character the code page lacks stops the conversion instead of becoming a "?".
    UErrorCode error = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    std::vector<std::uint8_t> bytes(units.size() * 4 + 4);
    const int32_t written = ucnv_fromUChars(converter,
                                            reinterpret_cast<char *>(bytes.data()),
                                            static_cast<int32_t>(bytes.size()),
                                            units.data(),
                                            static_cast<int32_t>(units.size()),
                                            &error);
    if (U_FAILURE(error))
        return {};
    bytes.resize(static_cast<std::size_t>(written));
    return bytes;
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
        while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
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
    UConverter *converter = ConverterFor(codePage);
    if (!converter || bytes.empty())
        return bytes.empty() ? -1 : bytes.front();
    UChar units[8];
    UErrorCode error = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter,
                                         units,
                                         8,
                                         reinterpret_cast<const char *>(bytes.data()),
                                         static_cast<int32_t>(bytes.size()),
                                         &error);
    if (U_FAILURE(error) || length < 1)
        return -1;
    const auto first = static_cast<std::int32_t>(units[0]);
    if (first >= 0xD800 && first < 0xDC00 && length > 1) {
        const auto second = static_cast<std::int32_t>(units[1]);
        if (second >= 0xDC00 && second < 0xE000)
            return ((first - 0xD800) << 10) + (second - 0xDC00) + 0x10000;
    }
    return first;
}

std::array<bool, 256> TextDecoder::LeadBytes(int codePage)
{
    return LeadBytesOf(codePage);
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
