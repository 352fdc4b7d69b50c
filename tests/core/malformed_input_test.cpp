// Every input of the malformed corpus (tests/malformed/MANIFEST) gives the outcome the manifest
// names: a clear message or a defined result, never a crash, and never a change that should not
// happen.
#include "document/bank_dialogs.h"
#include "document/bank_split.h"
#include "document/document.h"
#include "document/undo_journal.h"
#include "search/search_pattern.h"
#include "session/session.h"
#include "settings/settings_file.h"
#include "settings/settings_io.h"
#include "support/temp_folder.h"
#include "tables/loaded_tables.h"
#include "tables/script_dialogs.h"
#include "tables/script_insert.h"
#include "tables/table_editor.h"
#include "tables/table_parser.h"
#include "tables/table_writer.h"
#include "view/code_page_list.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace byteloom {
namespace {

const std::filesystem::path kCorpus = BYTELOOM_MALFORMED_DIR;
const std::filesystem::path kExamples = BYTELOOM_EXAMPLES_DIR;

std::vector<std::vector<std::string>> Manifest(const std::string &kind)
{
    std::ifstream in(kCorpus / "MANIFEST");
    std::vector<std::vector<std::string>> lines;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        if (!fields.empty() && fields[0] == kind)
            lines.push_back(fields);
    }
    return lines;
}

int Expected(const std::string &expectation, const std::string &name)
{
    const std::size_t at = expectation.find(name + "=");
    return at == std::string::npos ? -1 : std::stoi(expectation.substr(at + name.size() + 1));
}

TEST(MalformedInput, TablesLoadAsTheGrammarSaysAndWriteBackAsTheSameTable)
{
    test::TempFolder folder;
    const auto lines = Manifest("table");
    EXPECT_GE(lines.size(), 35u);
    for (const auto &line : lines) {
        SCOPED_TRACE(line[1]);
        LoadedTables tables;
        const TableLoadResult loaded = LoadTableFile(RealFileSystem(), kCorpus / line[1], tables);
        // A file with no table line in it is refused as not a table, with that reason.
        if (line[2] == "refused") {
            EXPECT_NE(loaded.status.message().find("is not a table file"), std::string::npos);
            continue;
        }
        ASSERT_TRUE(loaded.status.ok()) << loaded.status.message();
        const TableFile &table = *tables.Current();
        if (const int main = Expected(line[2], "main"); main >= 0) {
            EXPECT_EQ(table.GetSubtable(0).Entries().size(), static_cast<std::size_t>(main));
        }
        if (const int subtables = Expected(line[2], "subtables"); subtables >= 0) {
            EXPECT_EQ(table.SubtableCount(), subtables);
        }
        // Saved and read again, it is the same table (its title, from the file's name where it
        // has no title line, too).
        const auto written = folder / std::filesystem::path(line[1]).filename();
        ASSERT_TRUE(SaveTableFile(table, written, RealFileSystem()).ok());
        LoadedTables again;
        ASSERT_TRUE(LoadTableFile(RealFileSystem(), written, again).status.ok());
        EXPECT_EQ(FormatTableFile(*again.Current()), FormatTableFile(table));
    }
}

TEST(MalformedInput, ScriptsInsertInsideTheDocumentAndUndoWhole)
{
    LoadedTables tables;
    ASSERT_TRUE(LoadTableFile(RealFileSystem(), kExamples / "sample.tbl", tables).status.ok());
    const auto lines = Manifest("script");
    EXPECT_GE(lines.size(), 28u);
    for (const auto &line : lines) {
        SCOPED_TRACE(line[1]);
        const TableFile *sample = tables.Current();
        for (const TableFile *table : {static_cast<const TableFile *>(nullptr), sample}) {
            Document document(kPageSize, RealFileSystem());
            document.New();
            std::vector<std::uint8_t> original(2048);
            for (std::size_t i = 0; i < original.size(); ++i)
                original[i] = static_cast<std::uint8_t>(i * 31);
            ASSERT_TRUE(document.ReplaceContents(original).ok());
            UndoJournal journal;
            const InsertResult result = InsertScript(RealFileSystem(),
                                                     document,
                                                     journal,
                                                     tables,
                                                     kCorpus / line[1],
                                                     0x100,
                                                     table ? table->GetTitle() : "none");
            ASSERT_TRUE(result.status.ok()) << result.status.message();
            if (const int written = Expected(line[2], "written"); written >= 0) {
                EXPECT_EQ(result.bytesWritten, written);
            }
            EXPECT_EQ(document.Size(), 2048);
            while (journal.Undo(document)) {
            }
            std::vector<std::uint8_t> back(2048);
            ASSERT_EQ(document.ReadBlock(0, back), 2048);
            EXPECT_EQ(back, original);
        }
    }
}

// What a typed field gives: "value:N", "value:unchanged" or "message:TEXT".
std::string Outcome(const std::string &reader, const std::string &text)
{
    const auto message = [](const std::string &said) {
        return "message:" + said;
    };
    const auto value = [](std::int64_t number) {
        return "value:" + std::to_string(number);
    };
    if (reader == "dump-start" || reader == "dump-length") {
        DumpDialogFields fields{"out.txt",
                                reader == "dump-start" ? text : "1",
                                reader == "dump-length" ? text : "1",
                                true};
        const auto read = ReadDumpDialog(fields);
        if (const auto *said = std::get_if<std::string>(&read))
            return message(*said);
        const DumpRequest &request = std::get<DumpRequest>(read);
        return value(reader == "dump-start" ? request.range.offset : request.range.length);
    }
    if (reader == "insert-address" || reader == "insert-address-decimal") {
        LoadedTables tables;
        const auto read = ReadInsertDialog(
            {"in.txt", text, reader == "insert-address-decimal", "none", {}}, tables);
        if (const auto *said = std::get_if<std::string>(&read))
            return message(*said);
        return value(std::get<InsertRequest>(read).place.address);
    }
    if (reader == "split-custom" || reader == "split-header") {
        SplitDialogFields fields;
        fields.custom = reader == "split-custom";
        fields.customText = text;
        fields.header = reader == "split-header";
        fields.headerText = text;
        const auto answer = ReadSplitDialog(fields);
        if (!answer.request)
            return message(answer.messages.front());
        if (!answer.messages.empty())
            return message(answer.messages.front());
        // The split itself refuses what the field let through.
        test::TempFolder folder;
        Document document(kPageSize, RealFileSystem());
        document.New();
        document.SetPath(folder / "rom.bin");
        const SplitResult split = SplitIntoBanks(
            RealFileSystem(), document, answer.request->bankSize, answer.request->headerSize);
        return split.status.ok() ? value(split.banksWritten) : message(split.status.message());
    }
    if (reader == "expand-custom" || reader == "expand-fill") {
        ExpandDialogFields fields;
        fields.custom = reader == "expand-custom";
        fields.customText = text;
        fields.fillText = reader == "expand-fill" ? text : "";
        const auto answer = ReadExpandDialog(fields);
        if (!answer.request)
            return message(answer.messages.front());
        if (reader == "expand-fill")
            return value(answer.request->fill);
        Document document(kPageSize, RealFileSystem());
        document.New();
        const Status expanded = document.Expand(answer.request->size, answer.request->fill);
        return expanded.ok() ? value(document.Size()) : message(expanded.message());
    }
    if (reader == "find-hex") {
        const auto pattern = ParseHexPattern(text);
        return pattern ? value(static_cast<std::int64_t>(pattern->length()))
                       : message(std::string(kIncompleteHexMessage));
    }
    if (reader == "codepage") {
        TextDecoder decoder;
        int codePage = 0;
        const auto said = ReadCodePageField(
            text, [&](int number) { return decoder.Supports(number); }, codePage);
        return said ? message(*said) : value(codePage);
    }
    if (reader == "table-key") {
        const TableFile table = ParseTable("41=A\n", "t.tbl").table;
        TableEditor editor(table);
        const auto outcome = editor.Commit(0, TableEditor::Column::Key, text);
        if (outcome.kind == TableEditor::Outcome::Refused)
            return message(outcome.message);
        return outcome.kind == TableEditor::Outcome::Unchanged ? "value:unchanged"
                                                               : value(editor.KeyAt(0));
    }
    if (reader == "range") {
        NewSubtableFields fields;
        fields.rangeStart = text;
        fields.rangeEnd = "10";
        const auto said = AddRangeFromFields(fields);
        return said ? message(*said) : value(fields.ranges.back().low);
    }
    if (reader == "trigger") {
        NewSubtableFields fields;
        fields.startTrigger = text;
        fields.endTrigger = "e1";
        NewSubtable triggers;
        const auto said = ReadNewSubtable(fields, triggers);
        return said ? message(*said) : value(triggers.startTrigger);
    }
    return "no such reader";
}

TEST(MalformedInput, SettingsFilesStartTheEditorSoundAndSaveBackTheSame)
{
    test::TempFolder folder;
    const auto lines = Manifest("setting");
    EXPECT_GE(lines.size(), 20u);
    for (const auto &line : lines) {
        SCOPED_TRACE(line[1]);
        const auto path = folder / "Byteloom.ini";
        std::filesystem::copy_file(
            kCorpus / line[1], path, std::filesystem::copy_options::overwrite_existing);
        SettingsFile file(path, RealFileSystem());
        ASSERT_TRUE(file.Load().ok());
        Session session;
        LoadSettings(file, session.Settings());
        const DisplaySettings &display = session.display();
        if (const int grouping = Expected(line[2], "grouping"); grouping >= 0) {
            EXPECT_EQ(display.grouping, grouping);
        }
        if (line[2].find("fontsize=") != std::string::npos) {
            EXPECT_EQ(display.fontSize, std::stoi(line[2].substr(line[2].find("fontsize=") + 9)));
        }
        EXPECT_TRUE(display.grouping == 1 || display.grouping == 2 || display.grouping == 4
                    || display.grouping == 8);
        EXPECT_LE(display.textColor, 0xFFFFFFu);
        EXPECT_TRUE(SaveSettings(file, session.Settings()).empty());
        SettingsFile saved(path, RealFileSystem());
        ASSERT_TRUE(saved.Load().ok());
        Session again;
        LoadSettings(saved, again.Settings());
        EXPECT_EQ(again.display().grouping, display.grouping);
        EXPECT_EQ(again.display().fontSize, display.fontSize);
        EXPECT_EQ(again.display().hexFontFace, display.hexFontFace);
        EXPECT_EQ(again.display().textColor, display.textColor);
        EXPECT_EQ(again.options().recentFiles, session.options().recentFiles);
    }
}

TEST(MalformedInput, NonsenseInEveryFieldGivesAMessageOrADefinedValue)
{
    const auto lines = Manifest("field");
    EXPECT_GE(lines.size(), 30u);
    for (auto line : lines) {
        line.resize(4);
        SCOPED_TRACE(line[1] + " \"" + line[2] + "\"");
        const std::string outcome = Outcome(line[1], line[2]);
        if (line[3] == "value:any") {
            EXPECT_TRUE(outcome.starts_with("value:")) << outcome;
        } else {
            EXPECT_EQ(outcome, line[3]);
        }
    }
}

} // namespace
} // namespace byteloom
