#include "scripts/pointer_forms.h"

#include "command_script_support.h"

#include <gtest/gtest.h>

#include <random>

namespace byteloom {
namespace {

using test::Bytes;

TEST(PointerForms, EachAddressTypeMapsOffsetsByItsFormula)
{
    // LoROM: each 32 KiB of the file is the upper half of a bank, two banks per 64 KiB.
    EXPECT_EQ(GameAddress(AddressType::LoRom00, 0x0000), 0x8000);
    EXPECT_EQ(GameAddress(AddressType::LoRom00, 0x7FFF), 0xFFFF);
    EXPECT_EQ(GameAddress(AddressType::LoRom00, 0x8000), 0x18000);
    EXPECT_EQ(GameAddress(AddressType::LoRom00, 0xFFFF), 0x1FFFF);
    EXPECT_EQ(GameAddress(AddressType::LoRom00, 0x10000), 0x28000);
    EXPECT_EQ(GameAddress(AddressType::LoRom00, 0x3FFFFF), 0x7FFFFF);
    EXPECT_EQ(GameAddress(AddressType::LoRom80, 0x8000), 0x818000);
    EXPECT_EQ(GameAddress(AddressType::HiRom, 0x12345), 0xC12345);
    // Game Boy: bank 0 as it stands, other banks at 4000-7FFF.
    EXPECT_EQ(GameAddress(AddressType::Gb, 0x3FFF), 0x3FFF);
    EXPECT_EQ(GameAddress(AddressType::Gb, 0x4000), 0x14000);
    EXPECT_EQ(GameAddress(AddressType::Gb, 0x7FFF), 0x17FFF);
    EXPECT_EQ(GameAddress(AddressType::Gb, 0x8001), 0x24001);
    EXPECT_EQ(GameAddress(AddressType::Linear, 0x8001), 0x8001);
    for (const auto name : {"LINEAR", "LOROM00", "LOROM80", "HIROM", "GB"})
        EXPECT_EQ(NameOf(*AddressTypeOfName(name)), name);
    EXPECT_FALSE(AddressTypeOfName("lorom00"));
}

TEST(PointerForms, ValuesAreOffsetMaskedAndOrdered)
{
    // The header comes off the position, the offsetting off the address: a negative one adds.
    EXPECT_EQ(PointerValue({AddressType::Linear, -0xA000, 16}, 0x2010, 0x10), 0xC000u);
    EXPECT_EQ(PointerValue({AddressType::Linear, 0x100, 16}, 0x2010, 0x10), 0x1F00u);
    EXPECT_EQ(PointerValue({AddressType::HiRom, 0, 8}, 0x1234, 0), 0x34u);
    EXPECT_EQ(PointerValue({AddressType::HiRom, 0, 16}, 0x1234, 0), 0x1234u);
    EXPECT_EQ(PointerValue({AddressType::HiRom, 0, 24}, 0x1234, 0), 0xC01234u);
    EXPECT_EQ(PointerValue({AddressType::LoRom80, 0, 32}, 0x1234, 0), 0x809234u);
    // Below zero wraps within the pointer's size, as the game's arithmetic does.
    EXPECT_EQ(PointerValue({AddressType::Linear, 0x20, 16}, 0x10, 0), 0xFFF0u);
    EXPECT_EQ(ValueBytes(0x00112233, 4, false), (Bytes{0x33, 0x22, 0x11, 0x00}));
    EXPECT_EQ(ValueBytes(0x00112233, 3, true), (Bytes{0x11, 0x22, 0x33}));
    EXPECT_EQ(ValueBytes(0x00112233, 1, true), (Bytes{0x33}));
}

TEST(PointerForms, EveryAddressLeadsBackToItsOffsetAndOthersToNone)
{
    std::mt19937 random(5);
    for (const AddressType type : {AddressType::Linear,
                                   AddressType::LoRom00,
                                   AddressType::LoRom80,
                                   AddressType::HiRom,
                                   AddressType::Gb}) {
        // Every bank, its first and last offsets and random ones between.
        for (std::int64_t v : {0x0, 0x3FFF, 0x4000, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0xFFFFFF}) {
            v = (v + static_cast<std::int64_t>(random() % 0x100) * 0x10000) % 0x1000000;
            EXPECT_EQ(OffsetOfAddress(type, GameAddress(type, v)), v) << NameOf(type) << " " << v;
        }
    }
    EXPECT_FALSE(OffsetOfAddress(AddressType::LoRom00, 0x087FFF)); // the lower half of a bank
    EXPECT_FALSE(OffsetOfAddress(AddressType::LoRom00, 0x2008000));
    EXPECT_FALSE(OffsetOfAddress(AddressType::LoRom80, 0x088000));
    EXPECT_FALSE(OffsetOfAddress(AddressType::HiRom, 0xBFFFFF));
    EXPECT_FALSE(OffsetOfAddress(AddressType::Gb, 0x4000));  // bank 0 has no switched window
    EXPECT_FALSE(OffsetOfAddress(AddressType::Gb, 0x18000)); // past a bank's window
    EXPECT_FALSE(OffsetOfAddress(AddressType::Linear, -1));

    // A narrow pointer takes its upper bits from the base: a 16-bit LoROM pointer in the bank
    // of a table at $50200 (header $200), and the worked LINEAR example read back.
    const std::int64_t base = GameAddress(AddressType::LoRom00, 0x50000);
    EXPECT_EQ(PointerTarget({AddressType::LoRom00, 0, 16}, 0x8010, 0x200, base), 0x50210);
    EXPECT_EQ(PointerTarget({AddressType::LoRom00, 0, 16}, 0x0010, 0x200, base), std::nullopt);
    EXPECT_EQ(PointerTarget({AddressType::Linear, -0xA000, 16}, 0xC000, 0x10, 0), 0x2010);
    EXPECT_EQ(PointerTarget({AddressType::LoRom00, 0, 24}, 0x088000, 0x200, 0), 0x40200);
    EXPECT_EQ(ValueOfBytes(Bytes{0x00, 0x80, 0x08}, false), 0x088000u);
    EXPECT_EQ(ValueOfBytes(Bytes{0x08, 0x80, 0x00}, true), 0x088000u);
}

TEST(CommandScriptInsert, TheWorkedExamplesOfTheLanguage)
{
    test::ScriptBench bench("41=A\n42=B\n/00=<END>\n", 0x60000);
    // 24-bit LOROM00 with a $200 header: text at $40200 is address $088000.
    auto plan = bench.Plan({"#VAR(T, TABLE)\n#ADDTBL(\"t.tbl\", T)\n#ACTIVETBL(T)\n#HDR($200)\n"
                            "#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LOROM00\", 0, 24)\n"
                            "#VAR(PT, POINTERTABLE)\n#PTRTBL(PT, $50200, 3, P)\n"
                            "#JMP($40200)\n#WRITE(PT)\nAB<END>\n"});
    ASSERT_FALSE(plan.report.Failed()) << ReportText(plan.report);
    EXPECT_EQ(bench.At(plan, 0x50200, 3), (Bytes{0x00, 0x80, 0x08}));
    EXPECT_EQ(bench.At(plan, 0x40200, 3), (Bytes{0x41, 0x42, 0x00}));

    // LINEAR, offsetting $-A000, 16 bits, header $10: each pointer after the last end token.
    plan = bench.Plan({"#VAR(T, TABLE)\n#ADDTBL(\"t.tbl\", T)\n#ACTIVETBL(T)\n#HDR($10)\n"
                       "#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LINEAR\", $-A000, 16)\n"
                       "#VAR(PT, POINTERTABLE)\n#PTRTBL(PT, $2810, 2, P)\n#JMP($2010)\n"
                       "#AUTOWRITE(PT, \"<END>\")\nA<END>BB<END>\n<END>\n"});
    ASSERT_FALSE(plan.report.Failed()) << ReportText(plan.report);
    EXPECT_EQ(bench.At(plan, 0x2810, 6), (Bytes{0x00, 0xC0, 0x02, 0xC0, 0x05, 0xC0}));
    EXPECT_EQ(plan.report.pointers[static_cast<std::size_t>(PointerKind::Table)], 3);
}

} // namespace
} // namespace byteloom
