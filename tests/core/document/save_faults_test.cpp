#include "document/bank_split.h"
#include "document/document.h"
#include "document/rollback_file.h"
#include "settings/settings_file.h"
#include "support/documents.h"
#include "support/faulty_file_system.h"
#include "support/temp_folder.h"
#include "tables/script_dump.h"
#include "tables/table_parser.h"
#include "tables/table_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace byteloom {
namespace {

using namespace test;

std::set<std::string> NamesIn(const std::filesystem::path &folder)
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// One way of saving: it prepares the folder, makes its changes through files, and saves.
struct SavePath
{
    const char *name;
    std::filesystem::path target;   // the file the save writes
    std::vector<std::uint8_t> old;  // its bytes before (empty: it does not exist yet)
    std::vector<std::uint8_t> made; // its bytes after a save that succeeded
    // Prepares the folder and the document; returns the save.
    std::function<std::function<Status()>(FaultyFileSystem &, std::unique_ptr<Document> &)> start;
};

// Every save path, failing at each of its file-system calls in turn, with an error and with a
// disk that fills up: the target is wholly old (or absent) or, where the user was told it was
// written, wholly new; nothing is left beside it; the document keeps every change.
TEST(SaveFaults, EverySavePathFailingAtEachStepLosesNothing)
{
    TempFolder folder;
    const auto original = PatternBytes(64);
    auto edited = original;
    edited[3] = 0xA3;
    edited[50] = 0xA5;
    auto expanded = edited;
    expanded.insert(expanded.end(), 20, 0xEE);

    const auto editWhole = [&](Document &document) {
        ASSERT_TRUE(document.WriteByte(3, 0xA3));
        ASSERT_TRUE(document.WriteByte(50, 0xA5));
        document.MarkEdited();
    };
    const auto load
        = [&](FaultyFileSystem &files, std::unique_ptr<Document> &document, std::int64_t pageSize) {
              document = std::make_unique<Document>(pageSize, files);
              ASSERT_EQ(document->Load(folder / "rom.bin", true).status, LoadStatus::Loaded);
          };
    std::vector<SavePath> paths{
        {"whole, renamed over the old file",
         folder / "rom.bin",
         original,
         edited,
         [&](FaultyFileSystem &files, std::unique_ptr<Document> &document) {
             load(files, document, 1024);
             editWhole(*document);
             return std::function<Status()>([&] { return document->Save(); });
         }},
        {"whole, in place beside a hard link",
         folder / "rom.bin",
         original,
         edited,
         [&](FaultyFileSystem &files, std::unique_ptr<Document> &document) {
             std::filesystem::create_hard_link(folder / "rom.bin", folder / "twin.bin");
             load(files, document, 1024);
             editWhole(*document);
             return std::function<Status()>([&] { return document->Save(); });
         }},
        {"paged commit",
         folder / "rom.bin",
         original,
         edited,
         [&](FaultyFileSystem &files, std::unique_ptr<Document> &document) {
             load(files, document, 16);
             editWhole(*document);
             return std::function<Status()>([&] { return document->Save(); });
         }},
        {"paged commit with an expansion",
         folder / "rom.bin",
         original,
         expanded,
         [&](FaultyFileSystem &files, std::unique_ptr<Document> &document) {
             load(files, document, 16);
             editWhole(*document);
             EXPECT_TRUE(document->Expand(20, 0xEE).ok());
             return std::function<Status()>([&] { return document->Save(); });
         }},
        {"save as, whole",
         folder / "copy.bin",
         {},
         edited,
         [&](FaultyFileSystem &files, std::unique_ptr<Document> &document) {
             load(files, document, 1024);
             editWhole(*document);
             return std::function<Status()>([&] { return document->SaveAs(folder / "copy.bin"); });
         }},
        {"save as, paged",
         folder / "copy.bin",
         {},
         expanded,
         [&](FaultyFileSystem &files, std::unique_ptr<Document> &document) {
             load(files, document, 16);
             editWhole(*document);
             EXPECT_TRUE(document->Expand(20, 0xEE).ok());
             return std::function<Status()>([&] { return document->SaveAs(folder / "copy.bin"); });
         }},
    };

    for (const SavePath &path : paths) {
        // The first run, without a fault, counts the calls a save makes.
        std::int64_t steps = -1;
        for (std::int64_t failAt = -1; failAt < 0 || failAt < steps; ++failAt) {
            for (const auto fault :
                 {FaultyFileSystem::Fault::Error, FaultyFileSystem::Fault::ShortWrite}) {
                std::filesystem::remove_all(folder.path());
                std::filesystem::create_directories(folder.path());
                WriteBytes(folder / "rom.bin", original);
                FaultyFileSystem files;
                std::unique_ptr<Document> document;
                const auto save = path.start(files, document);
                const auto before = NamesIn(folder.path());
                files.calls = 0;
                files.failAt = failAt;
                files.fault = fault;
                const Status status = save();
                SCOPED_TRACE(std::string(path.name) + ", call " + std::to_string(failAt) + " ("
                             + files.failedCall + ")");
                if (failAt < 0) {
                    ASSERT_TRUE(status.ok()) << status.message();
                    EXPECT_EQ(ReadBytes(path.target), path.made);
                    steps = files.calls;
                    break;
                }
                const bool written = status.message().find("was written") != std::string::npos;
                if (status.ok() || written) {
                    EXPECT_EQ(OpenedAgain(path.target), path.made);
                } else {
                    EXPECT_FALSE(document->IsClean());
                    EXPECT_EQ(ContentsOf(*document), path.made);
                    if (fault == FaultyFileSystem::Fault::Error) {
                        if (path.old.empty())
                            EXPECT_FALSE(std::filesystem::exists(path.target));
                        else
                            EXPECT_EQ(OpenedAgain(path.target), path.old);
                        // The document's own file is never harmed by a save elsewhere.
                        EXPECT_EQ(OpenedAgain(folder / "rom.bin"),
                                  path.target == folder / "rom.bin" ? path.old : original);
                    } else {
                        // Saved again on a disk that works, whatever the failure left behind,
                        // the file opens with every change.
                        files.Heal();
                        const Status again = save();
                        ASSERT_TRUE(again.ok()) << again.message();
                        EXPECT_EQ(OpenedAgain(path.target), path.made);
                    }
                }
                auto after = NamesIn(folder.path());
                auto expected = before;
                after.erase("copy.bin");
                expected.erase("copy.bin");
                EXPECT_EQ(after, expected);
            }
        }
        EXPECT_GT(steps, 3) << path.name;
    }
}

// After a save of a paged document fails at any of its steps, whatever the user does next loses
// nothing: Discard, saving again on a disk that works, saving again with another failure, taking
// the expansion back and saving, or opening the file again. Each time the file is wholly old or
// wholly new, and the document shows what it holds.
TEST(SaveFaults, AfterAFailedSaveEveryNextStepLosesNothing)
{
    TempFolder folder;
    const auto original = PatternBytes(64);
    auto edited = original;
    edited[3] = 0xA3;
    edited[50] = 0xA5;
    auto expanded = edited;
    expanded.insert(expanded.end(), 20, 0xEE);
    enum class Next { Discard, SaveAgain, FailAgain, TakeBackExpansion, Reopen };
    // A paged document, and a whole one written in place beside a hard link.
    for (const std::int64_t pageSize : {16, 1024}) {
        std::int64_t steps = 0;
        for (std::int64_t failAt = -1; failAt < 0 || failAt < steps; ++failAt) {
            for (const Next next : {Next::Discard,
                                    Next::SaveAgain,
                                    Next::FailAgain,
                                    Next::TakeBackExpansion,
                                    Next::Reopen}) {
                std::filesystem::remove_all(folder.path());
                std::filesystem::create_directories(folder.path());
                WriteBytes(folder / "rom.bin", original);
                if (pageSize > 16)
                    std::filesystem::create_hard_link(folder / "rom.bin", folder / "twin.bin");
                FaultyFileSystem files;
                Document document(pageSize, files);
                ASSERT_EQ(document.Load(folder / "rom.bin", true).status, LoadStatus::Loaded);
                ASSERT_TRUE(document.WriteByte(3, 0xA3));
                ASSERT_TRUE(document.WriteByte(50, 0xA5));
                ASSERT_TRUE(document.Expand(20, 0xEE).ok());
                files.calls = 0;
                files.failAt = failAt;
                const Status failed = document.Save();
                if (failAt < 0) {
                    ASSERT_TRUE(failed.ok());
                    steps = files.calls;
                    break;
                }
                files.Heal();
                SCOPED_TRACE("pages of " + std::to_string(pageSize) + ", call "
                             + std::to_string(failAt) + " (" + files.failedCall + "), next "
                             + std::to_string(static_cast<int>(next)));
                const bool written
                    = failed.ok() || failed.message().find("was written") != std::string::npos;
                EXPECT_EQ(ContentsOf(document), expanded);
                // Opening the file again (another program would) puts back what the save left.
                if (next == Next::Reopen) {
                    EXPECT_EQ(OpenedAgain(folder / "rom.bin"), written ? expanded : original);
                    continue;
                }
                switch (next) {
                case Next::Discard: // a whole document has no pages to discard: it saves again
                    if (pageSize > 16) {
                        ASSERT_TRUE(document.Save().ok());
                        break;
                    }
                    ASSERT_TRUE(document.DiscardPages().ok());
                    EXPECT_EQ(ContentsOf(document), written ? expanded : original);
                    break;
                case Next::SaveAgain: {
                    const Status again = document.Save();
                    ASSERT_TRUE(again.ok()) << again.message();
                    EXPECT_EQ(ReadBytes(folder / "rom.bin"), expanded);
                    break;
                }
                case Next::FailAgain: {
                    files.calls = 0;
                    files.failAt = failAt;
                    const Status again = document.Save();
                    files.Heal();
                    const bool wroteAgain
                        = again.ok() || again.message().find("was written") != std::string::npos;
                    EXPECT_EQ(OpenedAgain(folder / "rom.bin"), wroteAgain ? expanded : original);
                    const Status third = document.Save();
                    ASSERT_TRUE(third.ok()) << again.message() << "\n" << third.message();
                    EXPECT_EQ(ReadBytes(folder / "rom.bin"), expanded);
                    break;
                }
                case Next::TakeBackExpansion:
                    // Once a paged file holds the expansion for good it is the document's to keep.
                    EXPECT_EQ(document.TakeBackExpansion(20).ok(), !written || pageSize > 16);
                    ASSERT_TRUE(document.Save().ok());
                    EXPECT_EQ(ReadBytes(folder / "rom.bin"),
                              written && pageSize == 16 ? expanded : edited);
                    break;
                case Next::Reopen:
                    break;
                }
                EXPECT_EQ(ReadBytes(folder / "rom.bin"), ContentsOf(document));
                EXPECT_EQ(OpenedAgain(folder / "rom.bin"), ReadBytes(folder / "rom.bin"));
                EXPECT_FALSE(std::filesystem::exists(RollbackPathFor(folder / "rom.bin")));
            }
        }
        EXPECT_GT(steps, 8);
    }
}

// Bank files and dumps: each file written is whole or absent, an older file of the name stays,
// and nothing else is left behind.
TEST(SaveFaults, BankFilesAndDumpsAreWholeOrAbsent)
{
    TempFolder folder;
    const auto image = PatternBytes(4096);
    const TableFile table = ParseTable("41=A\n/FF\n", "t.tbl").table;
    for (std::int64_t failAt = 0; failAt < 40; ++failAt) {
        std::filesystem::remove_all(folder.path());
        std::filesystem::create_directories(folder.path());
        WriteBytes(folder / "rom.bin", image);
        WriteBytes(folder / "dump.txt", {'o', 'l', 'd'});
        Document document(kPageSize, RealFileSystem());
        ASSERT_EQ(document.Load(folder / "rom.bin", true).status, LoadStatus::Loaded);
        FaultyFileSystem files;
        files.failAt = failAt;
        const SplitResult split = SplitIntoBanks(files, document, 1024, 0);
        for (std::int64_t bank = 0; bank < 4; ++bank) {
            const auto path = BankFilePath(folder / "rom.bin", bank);
            const auto begin = image.begin() + bank * 1024;
            if (std::filesystem::exists(path)) {
                EXPECT_EQ(ReadBytes(path), std::vector<std::uint8_t>(begin, begin + 1024));
                // Past the count only the bank whose folder could not be synced.
                EXPECT_TRUE(bank < split.banksWritten
                            || split.status.message().find("was written") != std::string::npos)
                    << failAt;
            } else {
                EXPECT_GE(bank, split.banksWritten);
            }
        }
        files.calls = 0;
        const Status dumped
            = DumpScriptToFile(files, document, &table, {0, 64}, false, folder / "dump.txt");
        const auto dump = ReadBytes(folder / "dump.txt");
        if (!dumped.ok() && dumped.message().find("was written") == std::string::npos) {
            EXPECT_EQ(dump, (std::vector<std::uint8_t>{'o', 'l', 'd'})) << failAt;
        }
        for (const auto &name : NamesIn(folder.path()))
            EXPECT_FALSE(name.starts_with(".")) << name;
    }
}

TEST(SaveFaults, ATableThatCannotBeWrittenStaysAsItWas)
{
    TempFolder folder;
    const std::string text = ".codepage=1252\r\n.title=T\r\n41=A\r\n";
    const TableFile table = ParseTable("41=A\n42=B\n", "t.tbl").table;
    for (std::int64_t failAt = 0; failAt < 12; ++failAt) {
        WriteBytes(folder / "t.tbl", {text.begin(), text.end()});
        FaultyFileSystem files;
        files.failAt = failAt;
        const Status status = SaveTableFile(table, folder / "t.tbl", files);
        const auto bytes = ReadBytes(folder / "t.tbl");
        if (status.ok() || status.message().find("was written") != std::string::npos)
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), FormatTableFile(table));
        else
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text);
        EXPECT_EQ(NamesIn(folder.path()), std::set<std::string>{"t.tbl"});
    }
}

// The settings file, failing at each step: the old file stays whole until a save succeeds, the
// user is told, and the next save, with a disk that works again, writes what was kept.
TEST(SaveFaults, SettingsThatCannotBeSavedStayAsTheyWere)
{
    TempFolder folder;
    const std::string old = "[SOFTWARE]\nByteloom\\Size=dword:00000001\n";
    for (std::int64_t failAt = 0; failAt < 12; ++failAt) {
        WriteBytes(folder / "Byteloom.ini", {old.begin(), old.end()});
        FaultyFileSystem files;
        SettingsFile settings(folder / "Byteloom.ini", files);
        ASSERT_TRUE(settings.Load().ok());
        settings.WriteNumber("SOFTWARE\\Byteloom", "Size", 4);
        files.calls = 0;
        files.failAt = failAt;
        const Status saved = settings.Save();
        const auto bytes = ReadBytes(folder / "Byteloom.ini");
        if (saved.ok() || saved.message().find("was written") != std::string::npos) {
            EXPECT_NE(std::string(bytes.begin(), bytes.end()), old) << failAt;
        } else {
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), old) << failAt;
            EXPECT_EQ(NamesIn(folder.path()), std::set<std::string>{"Byteloom.ini"});
            files.failAt = -1;
            ASSERT_TRUE(settings.Save().ok()) << failAt;
        }
        SettingsFile again(folder / "Byteloom.ini", RealFileSystem());
        ASSERT_TRUE(again.Load().ok());
        EXPECT_EQ(again.ReadNumber("SOFTWARE\\Byteloom", "Size"), 4u) << failAt;
    }
}

} // namespace
} // namespace byteloom
