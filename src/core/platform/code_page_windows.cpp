#include "platform/code_page.h"

#include "common/utf.h"

#include <windows.h>

namespace byteloom {

namespace {

// Windows' own code-page tables, as other Windows programs read the same bytes.
class WindowsCodePage final : public CodePage
{
public:
    explicit WindowsCodePage(UINT number)
        : number_(number)
    {}

    std::u16string Decode(std::span<const std::uint8_t> bytes) override
    {
        if (bytes.empty())
            return {};
        const char *text = reinterpret_cast<const char *>(bytes.data());
        const int length = static_cast<int>(bytes.size());
        // Bytes the code page does not map fail the strict conversion; the lenient one then
        // gives the system's substitute for them.
        std::u16string units(bytes.size() + 1, u'\0');
        int got = MultiByteToWideChar(number_,
                                      MB_ERR_INVALID_CHARS,
                                      text,
                                      length,
                                      reinterpret_cast<wchar_t *>(units.data()),
                                      static_cast<int>(units.size()));
        if (got == 0)
            got = MultiByteToWideChar(number_,
                                      0,
                                      text,
                                      length,
                                      reinterpret_cast<wchar_t *>(units.data()),
                                      static_cast<int>(units.size()));
        units.resize(static_cast<std::size_t>(got));
        return units;
    }

    std::optional<std::string> Encode(std::u16string_view units) override
    {
        if (units.empty())
            return std::string();
        // No "best fit": a character the code page lacks is refused, never turned into a
        // look-alike or a "?".
        std::string text(units.size() * 4 + 4, '\0');
        BOOL substituted = FALSE;
        const int length = WideCharToMultiByte(number_,
                                               WC_NO_BEST_FIT_CHARS,
                                               reinterpret_cast<const wchar_t *>(units.data()),
                                               static_cast<int>(units.size()),
                                               text.data(),
                                               static_cast<int>(text.size()),
                                               nullptr,
                                               &substituted);
        if (length == 0 || substituted)
            return std::nullopt;
        text.resize(static_cast<std::size_t>(length));
        return text;
    }

    std::array<bool, 256> LeadBytes() override
    {
        std::array<bool, 256> lead{};
        CPINFO info{};
        if (!GetCPInfo(number_, &info) || info.MaxCharSize < 2)
            return lead;
        for (int i = 0; i + 1 < MAX_LEADBYTES && (info.LeadByte[i] || info.LeadByte[i + 1]);
             i += 2) {
            for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b)
                lead[b] = true;
        }
        return lead;
    }

private:
    UINT number_;
};

class Utf8CodePage final : public CodePage
{
public:
    std::u16string Decode(std::span<const std::uint8_t> bytes) override
    {
        return Utf16OfUtf8(
            std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
    }
    std::optional<std::string> Encode(std::u16string_view units) override
    {
        return Utf8OfUtf16(units);
    }
    std::array<bool, 256> LeadBytes() override { return {}; }
};

WORD TypeOf(char32_t code)
{
    if (code > 0xFFFF)
        return 0;
    const wchar_t unit = static_cast<wchar_t>(code);
    WORD type = 0;
    return GetStringTypeW(CT_CTYPE1, &unit, 1, &type) ? type : 0;
}

} // namespace

std::unique_ptr<CodePage> CodePage::Open(int number)
{
    // UTF-8 (a table's "65001") is Unicode's own, converted as everywhere else; UTF-7 and the
    // ISO-2022 forms carry state between characters and are not offered.
    if (number == CP_UTF8)
        return std::make_unique<Utf8CodePage>();
    // Nor the pages whose conversion refuses the flags that keep a missing character from
    // becoming a look-alike (GB 18030, HZ, ISCII, symbol).
    const bool stateful = number == CP_UTF7 || (number >= 50220 && number <= 50229)
                          || number == 52936 || number == 54936 || number == 42
                          || (number >= 57002 && number <= 57011);
    if (number <= 0 || stateful || !IsValidCodePage(static_cast<UINT>(number)))
        return nullptr;
    return std::make_unique<WindowsCodePage>(static_cast<UINT>(number));
}

bool IsGraphic(char32_t code)
{
    if (code > 0xFFFF) // beyond the first plane: assigned planes, less the private ones
        return code < 0xF0000 && (code < 0x40000 || code >= 0xE0100) && code < 0xE01F0;
    if (code >= 0xD800 && code < 0xE000)
        return false;
    const WORD type = TypeOf(code);
    return (type & C1_DEFINED) && !(type & (C1_CNTRL | C1_SPACE | C1_BLANK));
}

bool IsLetterOrDigit(char32_t code)
{
    return (TypeOf(code) & (C1_ALPHA | C1_DIGIT)) != 0;
}

} // namespace byteloom
