#include "platform/code_page.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>

namespace byteloom {

namespace {

// ICU carries the Windows code-page tables under the names "windows-N".
class IcuCodePage final : public CodePage
{
public:
    explicit IcuCodePage(UConverter *converter)
        : converter_(converter, ucnv_close)
    {}

    std::u16string Decode(std::span<const std::uint8_t> bytes) override
    {
        std::u16string units(bytes.size() * 2 + 2, u'\0');
        UErrorCode error = U_ZERO_ERROR;
        const std::int32_t length = ucnv_toUChars(converter_.get(),
                                                  units.data(),
                                                  static_cast<std::int32_t>(units.size()),
                                                  reinterpret_cast<const char *>(bytes.data()),
                                                  static_cast<std::int32_t>(bytes.size()),
                                                  &error);
        units.resize(U_SUCCESS(error) ? static_cast<std::size_t>(length) : 0);
        return units;
    }

    std::optional<std::string> Encode(std::u16string_view units) override
    {
        // A character the code page lacks stops the conversion instead of becoming a "?".
        UErrorCode error = U_ZERO_ERROR;
        ucnv_setFromUCallBack(
            converter_.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
        std::string text(units.size() * 4 + 4, '\0');
        const std::int32_t length = ucnv_fromUChars(converter_.get(),
                                                    text.data(),
                                                    static_cast<std::int32_t>(text.size()),
                                                    units.data(),
                                                    static_cast<std::int32_t>(units.size()),
                                                    &error);
        if (U_FAILURE(error))
            return std::nullopt;
        text.resize(static_cast<std::size_t>(length));
        return text;
    }

    std::array<bool, 256> LeadBytes() override
    {
        std::array<bool, 256> lead{};
        const UConverterType type = ucnv_getType(converter_.get());
        if (type != UCNV_MBCS && type != UCNV_DBCS)
            return lead;
        UBool starters[256];
        UErrorCode error = U_ZERO_ERROR;
        ucnv_getStarters(converter_.get(), starters, &error);
        for (std::size_t b = 0; U_SUCCESS(error) && b < lead.size(); ++b)
            lead[b] = starters[b] != 0;
        return lead;
    }

private:
    std::unique_ptr<UConverter, void (*)(UConverter *)> converter_;
};

} // namespace

std::unique_ptr<CodePage> CodePage::Open(int number)
{
    UErrorCode error = U_ZERO_ERROR;
    const std::string name = "windows-" + std::to_string(number);
    UConverter *converter = ucnv_open(name.c_str(), &error);
    if (U_FAILURE(error) || !converter) {
        if (converter)
            ucnv_close(converter);
        return nullptr;
    }
    return std::make_unique<IcuCodePage>(converter);
}

bool IsGraphic(char32_t code)
{
    return u_isgraph(static_cast<UChar32>(code)) != 0;
}

bool IsLetterOrDigit(char32_t code)
{
    return u_isalnum(static_cast<UChar32>(code)) != 0;
}

} // namespace byteloom
