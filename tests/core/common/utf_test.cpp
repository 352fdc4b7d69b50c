#include "common/utf.h"

#ifndef _WIN32
#include <unicode/ustring.h>
#endif

#include <gtest/gtest.h>

#include <random>

#ifdef _WIN32
// The conversions are checked against ICU, which the Windows build does not have; they are the
// same code on every system.
TEST(Utf, AgreesWithIcu)
{
    GTEST_SKIP() << "ICU, the reference, is not in the Windows build";
}
#else
namespace byteloom {
namespace {

// ICU's reading of the same text: the reference the conversions must agree with.
std::optional<std::u16string> IcuUtf16(std::string_view utf8, bool substitute)
{
    std::u16string units(utf8.size() + 1, u'\0');
    std::int32_t length = 0;
    UErrorCode error = U_ZERO_ERROR;
    const auto size = static_cast<std::int32_t>(utf8.size());
    if (substitute)
        u_strFromUTF8WithSub(
            units.data(), size + 1, &length, utf8.data(), size, 0xFFFD, nullptr, &error);
    else
        u_strFromUTF8(units.data(), size + 1, &length, utf8.data(), size, &error);
    if (U_FAILURE(error))
        return std::nullopt;
    units.resize(static_cast<std::size_t>(length));
    return units;
}

std::string IcuUtf8(std::u16string_view units)
{
    std::string utf8(units.size() * 3 + 1, '\0');
    std::int32_t length = 0;
    UErrorCode error = U_ZERO_ERROR;
    u_strToUTF8WithSub(utf8.data(),
                       static_cast<std::int32_t>(utf8.size()),
                       &length,
                       units.data(),
                       static_cast<std::int32_t>(units.size()),
                       0xFFFD,
                       nullptr,
                       &error);
    utf8.resize(static_cast<std::size_t>(length));
    return utf8;
}

// Text with the structure that trips converters: every length of sequence at its boundaries,
// sequences cut short, stray continuation bytes, overlong forms, encoded surrogates, values
// past U+10FFFF and bytes that never start anything.
std::string ByteText(std::mt19937 &random)
{
    static const char32_t kEdges[] = {0x7F,
                                      0x80,
                                      0x7FF,
                                      0x800,
                                      0xD7FF,
                                      0xE000,
                                      0xFFFD,
                                      0xFFFF,
                                      0x10000,
                                      0x10FFFF,
                                      0x3042,
                                      0x1F600};
    static const std::string_view kBroken[] = {"\x80",
                                               "\xBF",
                                               "\xC0\x80",
                                               "\xC1\xBF",
                                               "\xE0\x80\x80",
                                               "\xE0\x9F\xBF",
                                               "\xED\xA0\x80",
                                               "\xED\xBF\xBF",
                                               "\xF0\x80\x80\x80",
                                               "\xF0\x8F\xBF\xBF",
                                               "\xF4\x90\x80\x80",
                                               "\xF5\x80\x80\x80",
                                               "\xFE",
                                               "\xFF",
                                               "\xC2",
                                               "\xE3\x81",
                                               "\xF0\x9F\x98"};
    std::string text;
    const int pieces = static_cast<int>(random() % 8);
    for (int k = 0; k < pieces; ++k) {
        switch (random() % 4) {
        case 0:
            text += static_cast<char>('a' + random() % 26);
            break;
        case 1:
            text += Utf8OfCodePoint(kEdges[random() % std::size(kEdges)]);
            break;
        case 2: {
            std::string whole = Utf8OfCodePoint(static_cast<char32_t>(random() % 0x110000));
            whole.resize(1 + random() % whole.size()); // sometimes cut short
            text += whole;
            break;
        }
        default:
            text += kBroken[random() % std::size(kBroken)];
        }
    }
    return text;
}

// Each conversion gives what ICU gives, for well-formed and ill-formed text alike.
TEST(Utf, ConversionsAgreeWithIcuOnTextOfEveryShape)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 40000; ++round) {
        const std::string text = ByteText(random);
        SCOPED_TRACE(testing::PrintToString(text));
        ASSERT_EQ(Utf16OfUtf8(text), IcuUtf16(text, true).value());
        ASSERT_EQ(Utf16OfWellFormedUtf8(text), IcuUtf16(text, false));
        EXPECT_EQ(Utf8OfUtf16(Utf16OfUtf8(text)), IcuUtf8(Utf16OfUtf8(text)));

        std::u16string units;
        for (auto k = random() % 6; k > 0; --k)
            units += static_cast<char16_t>(random() % 4 == 0 ? 0xD800 + random() % 0x800
                                                             : random() % 0x10000);
        ASSERT_EQ(Utf8OfUtf16(units), IcuUtf8(units));
    }
    // One U+FFFD for each maximal ill-formed part.
    EXPECT_EQ(CodePointsOfUtf8("a\xF0\x9F\x98z"), U"a\uFFFDz");
    EXPECT_EQ(CodePointsOfUtf8("\xE0\x80\x80"), U"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(CodePointsOfUtf8("\xF0\x9F\x98\x80\xE3\x81\x82"), U"\U0001F600\u3042");
    EXPECT_EQ(Utf8OfCodePoint(0xD800), "\xEF\xBF\xBD");
}

} // namespace
} // namespace byteloom
#endif
