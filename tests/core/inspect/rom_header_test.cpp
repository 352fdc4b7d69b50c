#include "inspect/rom_header.h"

#include "document/document.h"
#include "document/undo_journal.h"
#include "support/documents.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace byteloom {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto &byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    return bytes;
}

void Put(Bytes &bytes, std::size_t at, std::string_view text)
{
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

std::uint32_t Sum(const Bytes &bytes, std::size_t from, std::size_t to)
{
    return std::accumulate(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                           bytes.begin() + static_cast<std::ptrdiff_t>(to),
                           std::uint32_t{0});
}

// Checks, fixes as one undo step, checks again.
void CheckFixCheck(Bytes image, const std::string &system, const std::string &title)
{
    const auto document = test::DocumentOf(image);
    HeaderCheck check = CheckHeader(*document);
    ASSERT_EQ(check.system, system);
    EXPECT_EQ(check.title, title);
    EXPECT_FALSE(check.Right()) << HeaderReport(check);
    UndoJournal journal;
    ASSERT_TRUE(FixHeader(*document, journal, check).ok());
    EXPECT_EQ(journal.UndoCount(), 1u);
    check = CheckHeader(*document);
    EXPECT_TRUE(check.Right()) << HeaderReport(check);
    ASSERT_TRUE(journal.Undo(*document));
    EXPECT_EQ(test::ContentsOf(*document), image);
}

TEST(RomHeader, SnesImagesOfEveryMapAndSizeWithOrWithoutACopierHeader)
{
    for (const std::size_t size : {std::size_t{0x80000}, std::size_t{0x60000}}) {
        for (const std::size_t copier : {std::size_t{0}, std::size_t{0x200}}) {
            Bytes image = RandomBytes(size + copier, static_cast<std::uint32_t>(size + copier));
            const std::size_t header = copier + 0x7FC0;
            Put(image, header, "BYTELOOM TEST        ");
            image[header + 0x15] = 0x20; // LoROM, SlowROM
            Put(image,
                header + 0x1C,
                std::string("\x34\x12\xCB\xED", 4)); // a right pair, of nothing
            // Independently: the checksum pair counted as FF FF 00 00, the part past the
            // largest power of two counted as often as it fits into another.
            Bytes counted(image.begin() + static_cast<std::ptrdiff_t>(copier), image.end());
            Put(counted, 0x7FDC, std::string("\xFF\xFF\x00\x00", 4));
            std::uint32_t expected = Sum(counted, 0, 0x40000);
            const std::size_t power = size == 0x80000 ? 0x80000 : 0x40000;
            expected = Sum(counted, 0, power);
            if (size > power)
                expected += 2 * Sum(counted, power, size);
            const auto document = test::DocumentOf(image);
            const HeaderCheck check = CheckHeader(*document);
            ASSERT_EQ(check.system, "SNES LoROM") << size << " " << copier;
            EXPECT_EQ(check.checksums[0].computed, expected & 0xFFFF);
            CheckFixCheck(image, "SNES LoROM", "BYTELOOM TEST");
        }
    }
    Bytes hiRom = RandomBytes(0x20000, 9);
    Put(hiRom, 0xFFC0, "HIROM GAME           ");
    hiRom[0xFFD5] = 0x21;
    Put(hiRom, 0xFFDC, std::string("\x00\x00\xFF\xFF", 4));
    CheckFixCheck(hiRom, "SNES HiROM", "HIROM GAME");
}

TEST(RomHeader, GameBoyMegaDriveAndGameBoyAdvanceAndNothingGuessed)
{
    Bytes gameBoy = RandomBytes(0x8000, 1);
    Put(gameBoy,
        0x104,
        std::string("\xCE\xED\x66\x66\xCC\x0D\x00\x0B\x03\x73\x00\x83\x00\x0C\x00\x0D", 16));
    Put(gameBoy, 0x134, std::string("POCKET\0\0\0\0\0\0\0\0\0\0", 16));
    CheckFixCheck(gameBoy, "Game Boy", "POCKET");
    std::uint8_t headerSum = 0;
    for (std::size_t i = 0x134; i <= 0x14C; ++i)
        headerSum = static_cast<std::uint8_t>(headerSum - gameBoy[i] - 1);
    EXPECT_EQ(CheckHeader(*test::DocumentOf(gameBoy)).checksums[0].computed, headerSum);

    Bytes megaDrive = RandomBytes(0x1000, 2);
    Put(megaDrive, 0x100, "SEGA MEGA DRIVE ");
    Put(megaDrive, 0x120, std::string(48, 'M'));
    CheckFixCheck(megaDrive, "Mega Drive", std::string(48, 'M'));

    Bytes advance = RandomBytes(0x400, 3);
    advance[3] = 0xEA; // the branch at the entry point
    Put(advance, 0xA0, "ADVANCEGAME AGBE");
    advance[0xB2] = 0x96;
    CheckFixCheck(advance, "Game Boy Advance", "ADVANCEGAME");
    // 0x96 at 0xB2 alone is no Game Boy Advance header: not in a Game Boy image, nor in noise.
    Put(gameBoy, 0xB2, "\x96");
    EXPECT_EQ(CheckHeader(*test::DocumentOf(gameBoy)).system, "Game Boy");

    Bytes noise = RandomBytes(0x20000, 4);
    noise[0xB2] = 0x96;
    const auto document = test::DocumentOf(noise);
    const HeaderCheck nothing = CheckHeader(*document);
    EXPECT_FALSE(nothing.Recognised());
    UndoJournal journal;
    EXPECT_FALSE(FixHeader(*document, journal, nothing).ok());
    EXPECT_EQ(HeaderReport(nothing),
              "No SNES, Game Boy, Mega Drive or Game Boy Advance header was recognised.\n");
}

} // namespace
} // namespace byteloom
