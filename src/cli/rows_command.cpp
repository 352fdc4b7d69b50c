// byteloom-cli rows FILE: the rows the view draws, as text: offset label, hex column, text column.
#include "commands.h"
#include "view/offset_label.h"
#include "view/row_layout.h"

#include <limits>
#include <map>

#include <cstdio>
#include <memory>

namespace byteloom::cli {

namespace {

struct RowsOptions
{
    std::string file;
    std::string start = "0";
    std::int64_t rows = -1;
    int group = 2;
    std::string offsets = "hex";
    std::string table;
    int codePage = 0;
    bool unicode = false;
    bool unicodeBigEndian = false;
};

void SetOffsets(DisplaySettings &display, const std::string &mode)
{
    static const std::map<std::string, OffsetMode> modes{
        {"hex", OffsetMode::Hex},
        {"dec", OffsetMode::Decimal},
        {"hirom", OffsetMode::SnesHiRom},
        {"lorom", OffsetMode::SnesLoRom},
        {"bank", OffsetMode::BankOffset},
    };
    SetOffsetMode(display, modes.at(mode));
}

std::string TextColumn(const RowLayout &row)
{
    std::string text;
    for (const TextCell &cell : row.text) {
        if (cell.marker == Marker::Newline)
            text += "{NL}";
        else if (cell.marker == Marker::EndString)
            text += "{END}";
        else
            text += cell.text;
    }
    return text;
}

int RunRows(const RowsOptions &options)
{
    Session session;
    if (!OpenDocument(session, options.file))
        return kExitFailure;
    if (!options.table.empty() && !OpenTable(session, options.table))
        return kExitFailure;
    DisplaySettings &display = session.display();
    display.grouping = options.group;
    SetOffsets(display, options.offsets);
    display.unicodeText = options.unicode || options.unicodeBigEndian;
    display.bigEndian = options.unicodeBigEndian;
    // 1252 is the default code page; the others are the listed ones.
    if (options.codePage != 0 && options.codePage != kDefaultCodePage) {
        const int index = session.codePages().FindCodePageEntry(options.codePage);
        if (index < 0)
            return Fail("Code page " + std::to_string(options.codePage) + " is not available here");
        display.defaultCodePage = false;
        display.codePageIndex = index;
    }
    const auto start = ParseOffset(options.start, false, "--start");
    if (!start || !RequireInside(session, *start, "--start"))
        return kExitFailure;

    RowSource source{session.document(),
                     display,
                     session.tables().Current(),
                     session.codePages(),
                     session.decoder(),
                     {}};
    const std::int64_t size = session.document().Size();
    int carry = 0; // the first row printed starts fresh, as the view's top row does
    std::int64_t printed = 0;
    for (std::int64_t offset = *start / kBytesPerRow * kBytesPerRow;
         offset < size && printed != options.rows;
         offset += kBytesPerRow, ++printed) {
        const RowLayout row = BuildRow(source, offset, carry);
        carry = row.carryOut;
        const std::string line = row.offsetLabel + " "
                                 + HexColumnText(row, EffectiveGrouping(display)) + " "
                                 + TextColumn(row) + "\n";
        if (!WriteToStdout(line))
            return Fail("Unable to write to standard output");
    }
    if (auto error = session.document().TakeIoError())
        return Fail(*error);
    return 0;
}

} // namespace

Subcommand AddRowsCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "rows",
        "Print the rows the editor's view shows, one line each",
        [](CLI::App &command, RowsOptions &options) {
            command.add_option("FILE", options.file, "The file (- for standard input)")->required();
            command.add_option(
                "--start", options.start, "First offset, rounded down to its row (default 0)");
            command
                .add_option(
                    "--rows", options.rows, "How many rows (default: to the end of the file)")
                ->check(CLI::Range(std::int64_t{1}, std::numeric_limits<std::int64_t>::max()));
            command.add_option("--group", options.group, "Bytes per hex group (default 2)")
                ->check(CLI::IsMember({1, 2, 4, 8}));
            command.add_option("--offsets", options.offsets, "Offset labels (default hex)")
                ->check(CLI::IsMember({"hex", "dec", "hirom", "lorom", "bank"}));
            auto *table = command.add_option(
                "--table", options.table, "Decode the text column through this table file");
            auto *codePage = command.add_option(
                "--codepage",
                options.codePage,
                "Show the text column in this code page (1252, 874, 932, 936, 949 "
                "or 950)");
            auto *unicode = command.add_flag(
                "--unicode", options.unicode, "Show the text column as UTF-16, low byte first");
            auto *bigEndian = command.add_flag("--unicode-be",
                                               options.unicodeBigEndian,
                                               "Show the text column as UTF-16, high byte first");
            table->excludes(codePage)->excludes(unicode)->excludes(bigEndian);
            codePage->excludes(unicode)->excludes(bigEndian);
            unicode->excludes(bigEndian);
        },
        RunRows);
}

} // namespace byteloom::cli
