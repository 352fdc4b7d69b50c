#include "common/command_ids.h"
#include "view/code_page_list.h"
#include "view/offset_label.h"
#include "view/text_mode.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

DisplaySettings Mode(OffsetMode mode)
{
    DisplaySettings display;
    SetOffsetMode(display, mode);
    return display;
}

TEST(OffsetLabel, EveryModeFormatsAsTheViewShowsIt)
{
    constexpr std::int64_t size = 0x10000; // no copier's header
    const DisplaySettings hex = Mode(OffsetMode::Hex);
    EXPECT_EQ(OffsetLabel(0x10, hex, size), "00000010 ");
    EXPECT_EQ(StatusOffsetText(0x10, hex, size), "Offset: 00000010 ");
    const DisplaySettings decimal = Mode(OffsetMode::Decimal);
    EXPECT_EQ(OffsetLabel(160, decimal, size), "00000160 ");
    // Ten digits fit the decimal column; eight hex digits and a blank the others.
    EXPECT_EQ(OffsetLabel(2147483647, decimal, size), "2147483647 ");
    EXPECT_EQ(OffsetColumnChars(decimal, size), 11);
    EXPECT_EQ(OffsetColumnChars(hex, size), 9);

    // Up to 4 GiB eight digits; beyond, as many as the last offset needs, in every row alike.
    constexpr std::int64_t fourGiB = std::int64_t{1} << 32;
    EXPECT_EQ(OffsetLabel(0xFFFFFFF0, hex, fourGiB), "FFFFFFF0 ");
    EXPECT_EQ(OffsetColumnChars(hex, fourGiB), 9);
    EXPECT_EQ(OffsetLabel(0x10, hex, fourGiB + 1), "000000010 ");
    EXPECT_EQ(OffsetLabel(0x123456780, hex, 5 * fourGiB / 4), "123456780 ");
    EXPECT_EQ(StatusOffsetText(0x123456780, hex, 5 * fourGiB / 4), "Offset: 123456780 ");
    EXPECT_EQ(OffsetColumnChars(hex, 5 * fourGiB / 4), 10);
    EXPECT_EQ(OffsetLabel(0x10, hex, std::int64_t{1} << 44), "00000000010 "); // 11 digits
    EXPECT_EQ(OffsetLabel(5368709104, decimal, 5 * fourGiB / 4), "5368709104 ");
    EXPECT_EQ(OffsetLabel(160, decimal, 5 * fourGiB / 4), "0000000160 ");
    EXPECT_EQ(OffsetColumnChars(decimal, 5 * fourGiB / 4), 11);
    EXPECT_EQ(OffsetColumnChars(decimal, std::int64_t{1} << 40), 14);

    // The SNES modes leave out a copier's header only where the image has one.
    const DisplaySettings lorom = Mode(OffsetMode::SnesLoRom);
    EXPECT_EQ(OffsetLabel(0, lorom, size), "00008000 ");
    EXPECT_EQ(OffsetLabel(0x8000, lorom, size), "00018000 ");
    constexpr std::int64_t headed = 0x10200;
    EXPECT_TRUE(HasCopierHeader(headed));
    EXPECT_FALSE(HasCopierHeader(0x200 + 0x4000));
    EXPECT_EQ(OffsetLabel(0, lorom, headed), "00FFFE00 "); // the header subtraction wraps
    EXPECT_EQ(OffsetLabel(0x200, lorom, headed), "00008000 ");
    EXPECT_EQ(OffsetLabel(0x8200, lorom, headed), "00018000 ");
    const DisplaySettings hirom = Mode(OffsetMode::SnesHiRom);
    EXPECT_EQ(OffsetLabel(0, hirom, size), "00C00000 ");
    EXPECT_EQ(OffsetLabel(0, hirom, headed), "00BFFE00 ");
    EXPECT_EQ(OffsetLabel(0x200, hirom, headed), "00C00000 ");

    const DisplaySettings bank = Mode(OffsetMode::BankOffset);
    EXPECT_EQ(OffsetLabel(0x1234, bank, size), "0000:9234 ");
    EXPECT_EQ(OffsetLabel(0x8000, bank, size), "0001:8000 ");
    EXPECT_EQ(StatusOffsetText(0x8000, bank, size), "Offset: 0001:8000 ");
    EXPECT_EQ(OffsetLabel(0x7FFF8000, bank, size), "0000:8000 ");
    EXPECT_EQ(StatusOffsetText(0x7FFF8000, bank, size), "0000:8000 ");
    // Beyond 4 GiB the SNES and bank addresses wrap at 32 bits, as their addresses do.
    EXPECT_EQ(OffsetLabel(fourGiB + 0x8000, bank, 2 * fourGiB), "0001:8000 ");
    EXPECT_EQ(OffsetLabel(fourGiB, hirom, 2 * fourGiB), "00C00000 ");
    EXPECT_EQ(OffsetColumnChars(bank, 2 * fourGiB), 9);

    // A mapping mode keeps the radix; Hex and Decimal clear the mappings.
    DisplaySettings display = Mode(OffsetMode::Decimal);
    SetOffsetMode(display, OffsetMode::SnesHiRom);
    EXPECT_EQ(display.offsetRadix, 2);
    SetOffsetMode(display, OffsetMode::Hex);
    EXPECT_FALSE(display.snesHiRom);
    EXPECT_EQ(display.offsetRadix, 1);
    // The mode read back is the one set, whatever came before.
    for (const OffsetMode first : {OffsetMode::Decimal, OffsetMode::BankOffset}) {
        for (const OffsetMode mode : {OffsetMode::Hex,
                                      OffsetMode::Decimal,
                                      OffsetMode::SnesHiRom,
                                      OffsetMode::SnesLoRom,
                                      OffsetMode::BankOffset}) {
            DisplaySettings set = Mode(first);
            SetOffsetMode(set, mode);
            EXPECT_EQ(OffsetModeOf(set), mode);
        }
    }
}

TEST(OffsetLabel, GoToReadsAnAddressOfTheColumnsModeOrAHexOffset)
{
    DisplaySettings display;
    const auto read = [&display](std::string_view text, std::int64_t size) {
        const GoToReading reading = ReadGoToText(text, display, size);
        return reading.offset ? std::to_string(*reading.offset) + " " + reading.description
                              : reading.description;
    };
    EXPECT_EQ(read("40010", 0x60000), std::to_string(0x40010) + " File offset 00040010");
    EXPECT_EQ(read("zz", 0x60000), "Not a hexadecimal offset");
    EXPECT_EQ(read("60000", 0x60000), "Past the end of the file, whose last byte is at 0005FFFF");
    EXPECT_EQ(read("", 0x60000), "");

    SetOffsetMode(display, OffsetMode::SnesLoRom);
    const std::string loRom = std::to_string(0x40010) + " Address $08:8010 is file offset 00040010";
    EXPECT_EQ(read("$08:8010", 0x60000), loRom);
    EXPECT_EQ(read("088010", 0x60000), loRom);
    // Past 4 MiB the column's banks go on past 7F, and Go To reads them back.
    for (const std::int64_t offset : {0x4003BC, 0x7FFFFF, 0x3BC})
        for (const OffsetMode mode : {OffsetMode::SnesLoRom, OffsetMode::SnesHiRom}) {
            SetOffsetMode(display, mode);
            const std::string label = OffsetLabel(offset, display, 0x800000);
            EXPECT_EQ(ReadGoToText(label.substr(0, 8), display, 0x800000).offset, offset) << label;
        }
    SetOffsetMode(display, OffsetMode::SnesLoRom);
    // No bank past FF: a file offset then.
    EXPECT_EQ(read("FFFFFFFF", 0x60000),
              "Past the end of the file, whose last byte is at 0005FFFF");
    // With a copier header the view leaves out of its addresses, and back in.
    EXPECT_EQ(read("08:8010", 0x60200),
              std::to_string(0x40210) + " Address $08:8010 is file offset 00040210");
    // The lower half of a bank is no LoROM address: a file offset then.
    EXPECT_EQ(read("1234", 0x60000), std::to_string(0x1234) + " File offset 00001234");
    EXPECT_EQ(read("$08:1234", 0x60000), "Not an address of LoROM");
    EXPECT_EQ(read("$0C:8000", 0x60000),
              "Address $0C:8000 is past the end of the file, whose last byte is at 0005FFFF");

    SetOffsetMode(display, OffsetMode::SnesHiRom);
    EXPECT_EQ(read("C0:1234", 0x60000),
              std::to_string(0x1234) + " Address $C0:1234 is file offset 00001234");
    EXPECT_EQ(read("$80:0000", 0x60000), "Not an address of HiROM");
}

TEST(CodePages, TheListHoldsWhatTheSystemConvertsAndTheModesSwitch)
{
    TextDecoder decoder;
    const CodePageList list = CodePageList::Enumerate(decoder);
    ASSERT_EQ(list.Entries().size(), 5u); // ICU carries all five
    EXPECT_EQ(list.Entries()[1].name, "932 ( Japanese )");
    EXPECT_EQ(list.FindCodePageEntry(932), 1);
    EXPECT_EQ(list.FindCodePageEntry(1252), -1);
    EXPECT_TRUE(list.Entries()[1].leadBytes[0x81]);
    EXPECT_FALSE(list.Entries()[1].leadBytes[0x41]);
    EXPECT_FALSE(list.Entries()[0].leadBytes[0x81]); // Thai is single-byte
    const std::vector<std::uint8_t> sjis{0x82, 0xA0};
    EXPECT_EQ(decoder.ToUtf8(932, sjis), "あ");

    DisplaySettings display;
    EXPECT_EQ(ApplyTextModeCommand(display, list, kCmdUnicodeBigEndian), "Unicode (Big Endian)");
    EXPECT_EQ(ApplyTextModeCommand(display, list, kCmdCodePageDefault), "ASCII");
    EXPECT_TRUE(display.bigEndian); // Default leaves the byte order alone
    EXPECT_EQ(ApplyTextModeCommand(display, list, kCmdFirstCodePage + 1), "932 ( Japanese )");
    EXPECT_FALSE(display.defaultCodePage);
    EXPECT_EQ(CheckedTextModeCommand(display, list), kCmdFirstCodePage + 1);
    EXPECT_EQ(ApplyTextModeCommand(display, list, kCmdFirstCodePage + 9), "");
    display.codePageIndex = 9; // a stored index beyond the list
    EXPECT_EQ(CheckedTextModeCommand(display, list), kCmdCodePageDefault);
    EXPECT_EQ(ApplyTextModeCommand(display, list, kCmdUnicode), "Unicode");
    EXPECT_TRUE(display.defaultCodePage);
}

TEST(CodePages, TypedTextBecomesBytesOfTheTextMode)
{
    TextDecoder decoder;
    const CodePageList list = CodePageList::Enumerate(decoder);
    using Bytes = std::vector<std::uint8_t>;
    DisplaySettings display;
    EXPECT_EQ(TextAsDocumentBytes(display, list, decoder, "é"), (Bytes{0xE9}));
    EXPECT_TRUE(TextAsDocumentBytes(display, list, decoder, "あ").empty()); // not in 1252
    EXPECT_EQ(TextAsDocumentBytes(display, list, decoder, "あ", 932), (Bytes{0x82, 0xA0}));
    display.unicodeText = true;
    EXPECT_EQ(TextAsDocumentBytes(display, list, decoder, "Aあ"), (Bytes{0x41, 0x00, 0x42, 0x30}));
    display.bigEndian = true;
    EXPECT_EQ(TextAsDocumentBytes(display, list, decoder, "A"), (Bytes{0x00, 0x41}));
}

} // namespace
} // namespace byteloom
