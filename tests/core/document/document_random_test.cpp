#include "document/document.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

namespace byteloom {
namespace {

using namespace test;

// Applies one random operation to both the store and a plain vector that models it. Offsets
// reach a little past both ends so that the bounds rules are exercised too; most stay near the
// previous one, as an editor's do, so that both page hits and page swaps are frequent.
void ApplyRandomOperation(Document &document,
                          std::vector<std::uint8_t> &model,
                          std::mt19937 &random)
{
    static std::int64_t previous = 0;
    const auto size = static_cast<std::int64_t>(model.size());
    std::uniform_int_distribution<std::int64_t> anywhere(-4, size + 4);
    std::uniform_int_distribution<std::int64_t> nearby(-40, 40);
    // Now and then an offset at the ends of the number line, which must not wrap into the page.
    const std::int64_t extreme = random() % 2 ? std::numeric_limits<std::int64_t>::min()
                                              : std::numeric_limits<std::int64_t>::max();
    const std::int64_t offset = random() % 97 == 0  ? extreme
                                : random() % 4 == 0 ? anywhere(random)
                                                    : previous + nearby(random);
    previous = std::clamp<std::int64_t>(offset, 0, size);
    const bool inside = offset >= 0 && offset < size;
    const auto value = static_cast<std::uint8_t>(random());
    const auto at = static_cast<std::size_t>(offset);
    switch (random() % 7) {
    case 0:
        ASSERT_EQ(document.ReadByte(offset), inside ? model[at] : 0) << offset;
        break;
    case 1:
        ASSERT_EQ(document.WriteByte(offset, value), inside);
        if (inside)
            model[at] = value;
        break;
    case 2:
        ASSERT_EQ(document.AddToByte(offset, value), inside);
        if (inside)
            model[at] = static_cast<std::uint8_t>(model[at] + value);
        break;
    case 3: {
        const auto block = PatternBytes(static_cast<std::int64_t>(random() % 200),
                                        static_cast<std::uint32_t>(random()));
        std::int64_t expected = 0;
        for (std::size_t i = 0; i < block.size() && offset <= size; ++i) {
            const std::int64_t target = offset + static_cast<std::int64_t>(i);
            if (target >= 0 && target < size) {
                model[static_cast<std::size_t>(target)] = block[i];
                ++expected;
            }
        }
        ASSERT_EQ(document.WriteBlock(offset, block), expected);
        break;
    }
    case 4: {
        std::vector<std::uint8_t> read(random() % 200);
        const std::int64_t count = document.ReadBlock(offset, read);
        const std::int64_t expected
            = inside ? std::min<std::int64_t>(size - offset, static_cast<std::int64_t>(read.size()))
                     : 0;
        ASSERT_EQ(count, expected);
        ASSERT_TRUE(count == 0
                    || std::equal(read.begin(), read.begin() + count, model.begin() + offset));
        break;
    }
    case 5: // the same value again: the page is dirty, yet nothing of it differs
        ASSERT_EQ(document.WriteByte(offset, inside ? model[at] : 0), inside);
        break;
    default: {
        const std::int64_t unit = offset / 2;
        const auto byteAt = [&](std::int64_t b) {
            return b >= 0 && b < size ? model[static_cast<std::size_t>(b)] : 0;
        };
        ASSERT_EQ(document.ReadUnit(unit), byteAt(2 * unit) | (byteAt(2 * unit + 1) << 8));
        break;
    }
    }
}

TEST(DocumentRandom, PagedStoreMatchesAPlainArrayThroughEditsCommitsAndReloads)
{
    TempFolder folder;
    std::mt19937 random(20261206);
    for (const std::int64_t pageSize : {std::int64_t{64}, std::int64_t{256}}) {
        const auto path = folder / ("random-" + std::to_string(pageSize) + ".bin");
        auto model = PatternBytes(pageSize * 11 + 17, static_cast<std::uint32_t>(pageSize));
        WriteBytes(path, model);
        auto document = std::make_unique<Document>(pageSize, RealFileSystem());
        ASSERT_EQ(document->Load(path, true).status, LoadStatus::Loaded);
        ASSERT_TRUE(document->IsPaged());
        for (int step = 0; step < 25000; ++step) {
            ApplyRandomOperation(*document, model, random);
            if (HasFatalFailure())
                return;
            if (step % 500 != 499)
                continue;
            // Every change to the pages other than an edit, with the same document kept on.
            switch (step / 500 % 5) {
            case 0:
                ASSERT_TRUE(document->Save().ok());
                ASSERT_EQ(ReadBytes(path), model) << "after save at step " << step;
                document = std::make_unique<Document>(pageSize, RealFileSystem());
                ASSERT_EQ(document->Load(path, true).status, LoadStatus::Loaded);
                break;
            case 1:
                ASSERT_TRUE(document->Save().ok());
                ASSERT_EQ(ReadBytes(path), model) << "after save at step " << step;
                break;
            case 2: {
                const auto count = 1
                                   + static_cast<std::int64_t>(
                                       random() % static_cast<std::uint32_t>(3 * pageSize));
                const auto fill = static_cast<std::uint8_t>(random());
                ASSERT_TRUE(document->Expand(count, fill).ok());
                model.resize(model.size() + static_cast<std::size_t>(count), fill);
                break;
            }
            case 3: {
                // An expansion taken back at once, as its Undo does.
                const auto count = 1
                                   + static_cast<std::int64_t>(
                                       random() % static_cast<std::uint32_t>(2 * pageSize));
                ASSERT_TRUE(document->Expand(count, 0x5A).ok());
                ASSERT_EQ(document->ReadByte(document->Size() - 1), 0x5A);
                ASSERT_TRUE(document->TakeBackExpansion(count).ok());
                break;
            }
            default:
                ASSERT_TRUE(document->DiscardPages().ok());
                model = ReadBytes(path);
                break;
            }
        }
        ASSERT_FALSE(document->TakeIoError().has_value());
    }
}

TEST(DocumentRandom, WholeStoreMatchesAPlainArrayThroughLengthChangesAndSaves)
{
    TempFolder folder;
    std::mt19937 random(7);
    const auto path = folder / "whole.bin";
    auto model = PatternBytes(3000);
    WriteBytes(path, model);
    Document document(kPageSize, RealFileSystem());
    ASSERT_EQ(document.Load(path, true).status, LoadStatus::Loaded);
    for (int step = 0; step < 20000; ++step) {
        if (step % 500 == 0) {
            const auto lo = static_cast<std::int64_t>(random() % (model.size() + 1));
            const auto hi = std::min<std::int64_t>(lo + static_cast<std::int64_t>(random() % 64),
                                                   static_cast<std::int64_t>(model.size()));
            ASSERT_TRUE(document.RemoveRange(lo, hi).ok());
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(lo),
                        model.begin() + static_cast<std::ptrdiff_t>(hi));
            const auto grown = PatternBytes(static_cast<std::int64_t>(random() % 80),
                                            static_cast<std::uint32_t>(random()));
            model.insert(model.end(), grown.begin(), grown.end());
            ASSERT_TRUE(document.ReplaceContents(model).ok());
        }
        ApplyRandomOperation(document, model, random);
        if (HasFatalFailure())
            return;
        if (step % 4000 == 3999) {
            ASSERT_TRUE(document.Save().ok());
            ASSERT_EQ(ReadBytes(path), model);
            ASSERT_EQ(document.Load(path, true).status, LoadStatus::Loaded);
        }
    }
}

} // namespace
} // namespace byteloom
