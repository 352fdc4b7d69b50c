#include "common/utf.h"
#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

// What every system's converters must give: each one- and two-byte character that a code page
// decodes encodes to bytes that decode to it again (932 has characters at two places, so the
// bytes may differ), its lead bytes are what the page defines, and a character it lacks is
// refused rather than turned into "?".
TEST(CodePageConverters, EveryCharacterComesBackAndWhatIsMissingIsRefused)
{
    EXPECT_EQ(CodePage::Open(12345), nullptr);
    for (const int number : {1252, 874, 932, 936, 949, 950}) {
        SCOPED_TRACE(number);
        const std::unique_ptr<CodePage> page = CodePage::Open(number);
        ASSERT_NE(page, nullptr);
        const std::array<bool, 256> lead = page->LeadBytes();
        int decoded = 0;
        for (int first = 0x20; first < 0x100; ++first) {
            for (int second = lead[static_cast<std::size_t>(first)] ? 0x40 : -1; second < 0x100;
                 ++second) {
                std::string bytes(1, static_cast<char>(first));
                if (second >= 0)
                    bytes += static_cast<char>(second);
                const std::u16string units = page->Decode(
                    {reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()});
                // Bytes the page leaves unmapped decode to a substitute, which has no way back.
                if (units.empty() || units.find(u'\uFFFD') != std::u16string::npos
                    || units.find(u'\x1A') != std::u16string::npos)
                    continue;
                ++decoded;
                const std::optional<std::string> encoded = page->Encode(units);
                ASSERT_TRUE(encoded.has_value()) << Utf8OfUtf16(units);
                ASSERT_EQ(page->Decode({reinterpret_cast<const std::uint8_t *>(encoded->data()),
                                        encoded->size()}),
                          units)
                    << Utf8OfUtf16(units);
                if (second < 0)
                    break;
            }
        }
        EXPECT_GT(decoded, number == 1252 || number == 874 ? 150 : 6000);
        EXPECT_EQ(page->Encode(u"\U0001F600"), std::nullopt);
    }
    const std::array<bool, 256> sjis = LeadBytesOf(932);
    EXPECT_TRUE(sjis[0x81] && sjis[0x9F] && sjis[0xE0] && sjis[0xFC]);
    EXPECT_FALSE(sjis[0x41] || sjis[0xA0] || sjis[0xDF]);
    EXPECT_EQ(LeadBytesOf(1252), (std::array<bool, 256>{}));
    EXPECT_TRUE(CodePageAvailable(932));
    EXPECT_TRUE(IsGraphic(U'あ') && !IsGraphic(0x07) && !IsGraphic(0xD800));
    EXPECT_TRUE(IsLetterOrDigit(U'é') && !IsLetterOrDigit(U'!'));
}

} // namespace
} // namespace byteloom
