#include "common/crc32.h"
#include "document/document.h"
#include "document/rollback_file.h"
#include "support/documents.h"
#include "support/faulty_file_system.h"
#include "support/platform.h"
#include "support/temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include <cstring>

namespace byteloom {
namespace {

using namespace test;

TEST(SaveIdentity, OpeningPutsBackAnInterruptedSaveAndIgnoresAnUnfinishedOne)
{
    TempFolder folder;
    const auto path = folder / "rom.bin";
    const auto original = PatternBytes(100);
    WriteBytes(path, original);
    // A save that sealed its rollback file and was stopped half way: the file is longer and half
    // rewritten.
    SealRollback(path, 100, original, {{10, 20}, {90, 10}});
    auto scribbled = original;
    std::fill(scribbled.begin() + 10, scribbled.begin() + 30, 0xEE);
    scribbled.resize(150, 0xEE);
    WriteBytes(path, scribbled);
    Document document(32, RealFileSystem());
    const LoadResult loaded = document.Load(path, true);
    ASSERT_EQ(loaded.status, LoadStatus::Loaded);
    EXPECT_NE(loaded.notice.find("was interrupted"), std::string::npos);
    EXPECT_EQ(document.Size(), 100);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(EntriesIn(folder.path()), 1u);

    // A rollback file that was never sealed belongs to a save that never touched the file; so
    // does one torn by a power loss before its one sync (any byte of it wrong).
    WriteText(RollbackPathFor(path), "BYTE");
    WriteBytes(path, scribbled);
    EXPECT_TRUE(document.Load(path, true).notice.empty());
    EXPECT_EQ(ReadBytes(path), scribbled);
    EXPECT_EQ(EntriesIn(folder.path()), 1u);
    SealRollback(path, 150, scribbled, {{10, 20}});
    // One whose seal does not hold (a changed bit, a cut) may be all that is left of the old
    // bytes: it is kept aside, never applied, and the file opens only for Save As.
    const auto sealed = ReadBytes(RollbackPathFor(path));
    for (const std::size_t torn :
         {std::size_t{3}, std::size_t{60}, sealed.size() - 20, sealed.size()}) {
        auto damaged = sealed;
        if (torn == sealed.size())
            damaged.pop_back(); // cut by one byte
        else
            damaged[torn] ^= 0x10;
        WriteBytes(RollbackPathFor(path), damaged);
        const LoadResult kept = document.Load(path, true);
        EXPECT_NE(kept.notice.find("is damaged"), std::string::npos) << torn;
        EXPECT_EQ(ReadBytes(path), scribbled);
        auto aside = RollbackPathFor(path);
        aside += ".kept";
        EXPECT_EQ(ReadBytes(aside), damaged);
        EXPECT_NE(document.Save().message().find("only Save As saves it"), std::string::npos);
        std::filesystem::remove(aside);
        EXPECT_EQ(EntriesIn(folder.path()), 1u);
    }
}

// A rollback file that cannot be read is kept and the file is not opened, whichever read fails;
// one left by an earlier version (sealed after a sync, without a CRC) is still put back.
TEST(SaveIdentity, ARollbackFileIsKeptUntilItHasBeenReadAndEarlierOnesAreApplied)
{
    TempFolder folder;
    const auto path = folder / "rom.bin";
    const auto original = PatternBytes(100);
    auto scribbled = original;
    std::fill(scribbled.begin() + 10, scribbled.begin() + 30, 0xEE);
    const auto interrupted = [&] {
        WriteBytes(path, original);
        SealRollback(path, 100, original, {{10, 20}});
        WriteBytes(path, scribbled);
    };
    std::int64_t steps = 0;
    {
        interrupted();
        test::FaultyFileSystem counting;
        ASSERT_TRUE(RestoreFromRollback(path, counting).restored);
        steps = counting.calls;
    }
    for (std::int64_t failAt = 0; failAt < steps; ++failAt) {
        interrupted();
        test::FaultyFileSystem files;
        files.failAt = failAt;
        const RollbackOutcome outcome = RestoreFromRollback(path, files);
        SCOPED_TRACE(std::to_string(failAt) + " " + files.failedCall);
        if (outcome.status.ok()) {
            EXPECT_TRUE(outcome.restored);
            EXPECT_EQ(ReadBytes(path), original);
            EXPECT_FALSE(std::filesystem::exists(RollbackPathFor(path)));
        } else {
            EXPECT_TRUE(std::filesystem::exists(RollbackPathFor(path)));
        }
        std::filesystem::remove(RollbackPathFor(path));
    }

    interrupted();
    auto first = ReadBytes(RollbackPathFor(path));
    first[18] = '1'; // "BYTELOOM-ROLLBACK-1\n"
    first.resize(first.size() - 24);
    const std::uint64_t covered = first.size();
    for (int i = 0; i < 8; ++i)
        first.push_back(static_cast<std::uint8_t>(covered >> (8 * i)));
    for (const char c : std::string_view("SEALED!\n"))
        first.push_back(static_cast<std::uint8_t>(c));
    WriteBytes(RollbackPathFor(path), first);
    Document document(kPageSize, RealFileSystem());
    EXPECT_NE(document.Load(path, true).notice.find("was interrupted"), std::string::npos);
    EXPECT_EQ(ReadBytes(path), original);

    // The second form: this one's records under "BYTELOOM-ROLLBACK-2", sealed by a 64-bit
    // checksum or, in the version before, by a CRC-32 of the same bytes.
    for (const bool crc : {false, true}) {
        interrupted();
        auto second = ReadBytes(RollbackPathFor(path));
        second[18] = '2';
        const std::size_t sealedPart = second.size() - 24;
        std::uint64_t sum = 0x6A09E667F3BCC908u;
        if (crc) {
            sum = Crc32(std::span(second).first(sealedPart));
        } else {
            for (std::size_t at = 0; at < sealedPart; at += 8) {
                std::uint64_t word = 0;
                std::memcpy(&word, second.data() + at, std::min<std::size_t>(8, sealedPart - at));
                sum = (sum ^ word) * 0x9E3779B97F4A7C15u;
                sum ^= sum >> 29;
            }
        }
        for (int i = 0; i < 8; ++i)
            second[sealedPart + 8 + static_cast<std::size_t>(i)]
                = static_cast<std::uint8_t>(sum >> (8 * i));
        WriteBytes(RollbackPathFor(path), second);
        EXPECT_NE(document.Load(path, true).notice.find("was interrupted"), std::string::npos);
        EXPECT_EQ(ReadBytes(path), original) << crc;
    }
}

// A rollback file is found whichever name opens the file, is never applied to a file put in
// its place, and one that does not fit the file changes nothing.
TEST(SaveIdentity, ARollbackFileBelongsToOneFileWhateverItsNames)
{
    TempFolder folder;
    std::filesystem::create_directories(folder / "roms");
    std::filesystem::create_directories(folder / "links");
    const auto real = folder / "roms" / "game.bin";
    const auto link = folder / "links" / "game.bin";
    const auto original = PatternBytes(64);
    auto scribbled = original;
    std::fill(scribbled.begin(), scribbled.begin() + 32, 0xEE);
    BYTELOOM_NOT_ON_WINDOWS(kWindowsHasNoLinks);
    const auto interrupt = [&](const std::filesystem::path &savedAs) {
        WriteBytes(real, original);
        SealRollback(savedAs, 64, original, {{0, 64}});
        WriteBytes(real, scribbled);
    };
    std::filesystem::create_symlink(real, link);
    for (const auto &[savedAs, opened] : {std::pair{link, real}, std::pair{real, link}}) {
        interrupt(savedAs);
        Document document(kPageSize, RealFileSystem());
        EXPECT_FALSE(document.Load(opened, true).notice.empty());
        EXPECT_EQ(ReadBytes(real), original);
        EXPECT_EQ(EntriesIn(folder / "roms"), 1u);
    }

    // The file was deleted and another took its name: the rollback file is not its own, and it
    // is kept aside, never applied.
    interrupt(real);
    std::filesystem::remove(real);
    const auto fresh = PatternBytes(67, 3);
    WriteBytes(real, fresh);
    Document document(kPageSize, RealFileSystem());
    EXPECT_NE(document.Load(real, true).notice.find("made for another file"), std::string::npos);
    EXPECT_EQ(ReadBytes(real), fresh);
    EXPECT_EQ(EntriesIn(folder / "roms"), 2u);
    std::filesystem::remove_all(folder / "roms");
    std::filesystem::create_directories(folder / "roms");

    // A sealed rollback file whose old length no file could have had is kept aside too.
    WriteBytes(real, original);
    SealRollback(real, std::int64_t{1} << 40, original, {{0, 8}});
    EXPECT_NE(document.Load(real, true).notice.find("does not fit"), std::string::npos);
    EXPECT_EQ(ReadBytes(real), original);
    EXPECT_EQ(EntriesIn(folder / "roms"), 2u);
}

TEST(SaveIdentity, ACommitWritesOnlyIntoTheFileThatWasLoaded)
{
    TempFolder folder;
    const auto path = folder / "rom.bin";
    WriteBytes(path, PatternBytes(64));
    Document document(16, RealFileSystem());
    ASSERT_EQ(document.Load(path, true).status, LoadStatus::Loaded);
    ASSERT_TRUE(document.WriteByte(40, 0x99));
    document.MarkEdited();

    // Another program puts a new file in its place.
    BYTELOOM_NOT_ON_WINDOWS(kWindowsHoldsTheFile);
    const auto other = PatternBytes(64, 7);
    WriteBytes(folder / "new.bin", other);
    std::filesystem::rename(folder / "new.bin", path);
    const Status refused = document.Save();
    EXPECT_FALSE(refused.ok());
    EXPECT_NE(refused.message().find("another program has replaced or changed"), std::string::npos);
    EXPECT_EQ(ReadBytes(path), other);
    EXPECT_FALSE(document.IsClean());
    EXPECT_TRUE(document.IsPageDirty(2));

    // Save As takes the document anywhere; later commits go into the new file.
    ASSERT_TRUE(document.SaveAs(folder / "mine.bin").ok());
    EXPECT_EQ(document.Path(), folder / "mine.bin");
    ASSERT_TRUE(document.WriteByte(1, 0x11));
    ASSERT_TRUE(document.Save().ok());
    const auto mine = ReadBytes(folder / "mine.bin");
    EXPECT_EQ(mine[40], 0x99);
    EXPECT_EQ(mine[1], 0x11);
    EXPECT_EQ(ReadBytes(path), other);

    // Another program changes the file in place: Discard does not make that change the
    // document's own, so a later save is still refused and the change stays.
    WriteBytes(path, PatternBytes(64));
    Document again(16, RealFileSystem());
    ASSERT_EQ(again.Load(path, true).status, LoadStatus::Loaded);
    {
        std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(10);
        file.put(0x77);
    }
    ASSERT_TRUE(again.DiscardPages().ok());
    ASSERT_TRUE(again.WriteByte(20, 0x55));
    EXPECT_NE(again.Save().message().find("another program"), std::string::npos);
    EXPECT_EQ(ReadBytes(path)[10], 0x77);
}

TEST(SaveIdentity, ASaveKeepsLinksAndLongNames)
{
    TempFolder folder;
    const auto real = folder / "real.bin";
    WriteBytes(real, PatternBytes(64));
#ifdef _WIN32
    const auto opened = real; // kWindowsHasNoLinks: the hard link alone
#else
    std::filesystem::create_symlink("real.bin", folder / "link.bin");
    const auto opened = folder / "link.bin";
#endif
    std::filesystem::create_hard_link(real, folder / "twin.bin");
    Document document(kPageSize, RealFileSystem());
    ASSERT_EQ(document.Load(opened, true).status, LoadStatus::Loaded);
    ASSERT_TRUE(document.WriteByte(0, 0x42));
    ASSERT_TRUE(document.Save().ok());
    EXPECT_EQ(std::filesystem::is_symlink(opened), opened != real);
    EXPECT_EQ(LinkCount(real), 2u);
    EXPECT_EQ(ReadBytes(folder / "twin.bin")[0], 0x42);
    EXPECT_EQ(EntriesIn(folder.path()), opened != real ? 3u : 2u);

    // A name at the system's limit still leaves room for the temporary and rollback files.
    const auto longName = folder / std::string(255, 'n');
    WriteBytes(longName, PatternBytes(64));
    for (const std::int64_t pageSize : {1024, 16}) {
        Document named(pageSize, RealFileSystem());
        ASSERT_EQ(named.Load(longName, true).status, LoadStatus::Loaded);
        const auto mark = static_cast<std::uint8_t>(pageSize == 16 ? 0x16 : 0x24);
        ASSERT_TRUE(named.WriteByte(20, mark));
        const Status saved = named.Save();
        ASSERT_TRUE(saved.ok()) << saved.message();
        EXPECT_EQ(ReadBytes(longName)[20], mark);
    }
    EXPECT_EQ(EntriesIn(folder.path()), opened != real ? 4u : 3u);
}

TEST(SaveIdentity, AFileTheUserMayNotWriteIsRefusedWhateverTheDocument)
{
#ifndef _WIN32
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write any file";
#endif
    TempFolder folder;
    const auto path = folder / "locked.bin";
    WriteBytes(path, PatternBytes(64));
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_read
                                     | std::filesystem::perms::group_read
                                     | std::filesystem::perms::others_read);
    for (const std::int64_t pageSize : {1024, 16}) {
        Document document(pageSize, RealFileSystem());
        ASSERT_EQ(document.Load(path, true).status, LoadStatus::Loaded);
        ASSERT_TRUE(document.WriteByte(0, 1));
        const Status refused = document.Save();
        EXPECT_NE(refused.message().find("Permission denied"), std::string::npos) << pageSize;
        EXPECT_EQ(ReadBytes(path), PatternBytes(64));
    }
    // Made read-only after it was opened for writing.
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    Document document(16, RealFileSystem());
    ASSERT_EQ(document.Load(path, true).status, LoadStatus::Loaded);
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    ASSERT_TRUE(document.WriteByte(0, 1));
    EXPECT_NE(document.Save().message().find("Permission denied"), std::string::npos);
    EXPECT_EQ(ReadBytes(path), PatternBytes(64));
}

} // namespace
} // namespace byteloom
