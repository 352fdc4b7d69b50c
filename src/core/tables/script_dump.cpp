#include "tables/script_dump.h"

#include "document/document.h"
#include "document/safe_file_writer.h"
#include "tables/exact_dump.h"
#include "tables/key_starts.h"
#include "tables/script_insert.h"
#include "tables/table_codec.h"
#include "tables/table_file.h"
#include "tables/text_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace byteloom {

namespace {

constexpr std::size_t kFlushSize = 1 << 20;

// A text in its stored form: each LF written as CR LF.
std::string Stored(std::string_view text)
{
    std::string stored;
    stored.reserve(text.size());
    for (const char c : text) {
        if (c == '\n')
            stored.push_back('\r');
        stored.push_back(c);
    }
    return stored;
}

// What the dump writes for one decoded key: its stored text, then, for an end-string key of a
// dump with codes, the header of the offset after the key.
struct StoredEntry
{
    std::string text;
    bool thenHeader = false;
};

// Without Clean (codes) every byte no entry matches is written as its code, whatever the
// table's code page, so that the dump inserts back byte for byte; the end of a string is
// followed by the offset header of what comes next.
StoredEntry StoredEntryOf(const DecodedEntry &decoded, std::uint8_t firstByte, bool codes)
{
    const TableEntry &entry = *decoded.entry;
    if (decoded.IsFallback()) {
        if (!codes)
            return {Stored(entry.text)};
        char code[8];
        std::snprintf(code, sizeof code, "<%x>", firstByte);
        return {code};
    }
    if (entry.text == kNewlineMarker)
        return {Stored(entry.label) + "\r\r\n"};
    if (entry.text == kEndStringMarker)
        return {Stored(entry.label) + "\r\r\n\r\r\n", codes};
    // An empty text reads as nothing: a Clean dump shows it as the text column does, and a dump
    // with codes writes its code.
    if (entry.text.empty())
        return {codes ? "" : Stored(FallbackEntry().text)};
    return {Stored(entry.text)};
}

// The stored text of an entry whose bytes (its key, and what goes with a linked or switching
// entry) are given.
StoredEntry StoredEntryOf(const TableFile &table,
                          const DecodedEntry &decoded,
                          std::span<const std::uint8_t> bytes,
                          bool codes)
{
    StoredEntry stored = StoredEntryOf(decoded, bytes.front(), codes);
    stored.text += Stored(EntrySuffix(table, decoded, bytes));
    return stored;
}

// Where a walk of count bytes from start stops: at the end of the document at the latest, even
// for a count as large as any (the command line takes one), without overflowing.
std::int64_t RangeEnd(std::int64_t start, std::int64_t count, std::int64_t size)
{
    std::int64_t end = 0;
    if (__builtin_add_overflow(start, count, &end))
        return size;
    return std::min(end, size);
}

// How many bytes a walk covers between two reports of its progress.
constexpr std::int64_t kProgressStep = 1 << 20;

// Walks [start, start + count) entry by entry, stopping at the end of the document; a key that
// runs past the end of the range is still decoded whole. Each position is decoded through the
// subtable for its offset, as the view shows it. Keys are read straight from the page in memory;
// only one that crosses a page boundary or the end of the document is read through DecodeAt.
// visit gets the decoded entry, its offset and its bytes (the key and a linked entry's
// parameters), and returns false to stop the walk. Returns false when progress stopped it.
template<typename Visit>
bool WalkEntries(Document &document,
                 const TableFile &table,
                 std::int64_t start,
                 std::int64_t count,
                 const ProgressCallback &progress,
                 Visit visit)
{
    const std::int64_t end = RangeEnd(start, count, document.Size());
    const auto widest = static_cast<std::size_t>(std::max(table.GetMaxEntryBytes(), 1));
    std::span<const std::uint8_t> page;
    std::int64_t pageStart = 0;
    const std::int64_t first = std::max<std::int64_t>(start, 0);
    TableFile::SubtableRun run = table.SubtableRunAt(first);
    const Subtable *subtable = &table.GetSubtable(run.number);
    std::int64_t nextReport = first + kProgressStep;
    for (std::int64_t position = first; position < end;) {
        if (position >= nextReport) {
            if (progress && !progress(position - first, end - first))
                return false;
            nextReport = position + kProgressStep;
        }
        if (position >= run.until) {
            run = table.SubtableRunAt(position);
            subtable = &table.GetSubtable(run.number);
        }
        auto index = static_cast<std::size_t>(position - pageStart);
        if (position < pageStart || index + widest > page.size()) {
            page = document.SpanAt(position);
            pageStart = position;
            index = 0;
        }
        DecodedEntry decoded;
        std::array<std::uint8_t, kMaxEntryBytes> copied{};
        std::span<const std::uint8_t> bytes;
        if (widest <= page.size()) {
            decoded = DecodeBytes(table, *subtable, page.subspan(index, widest));
            bytes = page.subspan(index, static_cast<std::size_t>(decoded.byteCount));
        } else {
            // A key that crosses into the next page, or the document's last bytes.
            decoded = DecodeAt(table, document, position);
            page = {}; // DecodeAt may have swapped the page out
            bytes = std::span(copied).first(static_cast<std::size_t>(decoded.byteCount));
            (void)document.ReadBlock(position, std::span(copied).first(bytes.size()));
        }
        if (!visit(decoded, position, bytes))
            return true;
        position += decoded.byteCount;
    }
    return true;
}

// Collects the dump as it is stored and hands it to the sink a large piece at a time. After a
// failure of the sink it takes nothing more.
class StoredScript
{
public:
    explicit StoredScript(const DumpSink &sink)
        : sink_(sink)
        , buffer_(4 * kRoom)
    {}

    // Room for writing up to kRoom bytes at the returned place; Commit says where they end.
    // The buffer grows up to the flush size, so that a short dump costs little.
    static constexpr std::size_t kRoom = 2048;
    char *Reserve()
    {
        if (used_ + kRoom > buffer_.size()) {
            if (buffer_.size() < kFlushSize + kRoom)
                buffer_.resize(std::min(2 * buffer_.size(), kFlushSize + kRoom));
            else
                Flush();
        }
        return buffer_.data() + used_;
    }
    void Commit(const char *end)
    {
        used_ = static_cast<std::size_t>(end - buffer_.data());
        if (used_ >= kFlushSize)
            Flush();
    }

    // Bytes already in their stored form.
    void Append(std::string_view bytes)
    {
        while (!bytes.empty()) {
            const std::size_t piece = std::min(bytes.size(), kRoom);
            char *out = Reserve();
            std::memcpy(out, bytes.data(), piece);
            Commit(out + piece);
            bytes.remove_prefix(piece);
        }
    }
    // The last character written so far, or 0.
    [[nodiscard]] char LastChar() const { return used_ > 0 ? buffer_[used_ - 1] : last_; }

    [[nodiscard]] bool ok() const { return status_.ok(); }

    Status Finish()
    {
        Flush();
        return status_;
    }

    // The first bytes written, which tell whether the script reads as one with headers.
    [[nodiscard]] std::string_view Opening() const { return opening_; }

private:
    void Flush()
    {
        if (opening_.size() < kOpening)
            opening_.append(buffer_.data(), std::min(used_, kOpening - opening_.size()));
        if (used_ > 0)
            last_ = buffer_[used_ - 1];
        if (status_.ok() && used_ > 0)
            status_ = sink_(std::string_view(buffer_.data(), used_));
        used_ = 0;
    }

    const DumpSink &sink_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    char last_ = 0;
    static constexpr std::size_t kOpening = 40;
    std::string opening_;
    Status status_ = Status::Ok();
};

// What a dump writes for every pair of bytes, through one subtable of a table whose keys are at
// most two bytes wide (nearly every table): the dump's inner step is then one lookup and one
// fixed-size copy, and where its keys start is worked out 64 bytes at a time (see
// SecondBytesOf), so that no step waits for the one before it.
class DumpCells
{
public:
    // The stored text of one key, inline when it is short.
    struct Cell
    {
        static constexpr std::size_t kInline = 12;
        char text[kInline];
        std::uint8_t length; // of an inline text
        std::uint8_t width;  // the key's width in bytes
        std::uint8_t flags;
        std::uint8_t padding;
    };
    static_assert(sizeof(Cell) == 16);
    static constexpr std::uint8_t kLongText = 1;   // text[0..4) is an index into longTexts_
    static constexpr std::uint8_t kThenHeader = 2; // an offset header follows the text
    static constexpr std::uint8_t kCheck = 4;      // its text may read otherwise where it stands

    DumpCells(const TableFile &table, const Subtable &subtable, bool codes, ExactDump &exact)
        : cells_(256)
        , subtable_(subtable)
        , codes_(codes)
        , exact_(exact)
    {
        for (int b0 = 0; b0 < 256; ++b0) {
            const std::uint8_t single[] = {static_cast<std::uint8_t>(b0)};
            cells_[static_cast<std::size_t>(b0)]
                = MakeCell(DecodeBytes(table, subtable, single), single[0]);
            rows_[static_cast<std::size_t>(b0)] = {static_cast<std::uint32_t>(b0), 0};
        }
        if (table.GetMaxKeyBytes() != 2)
            return;
        // A first byte of two-byte keys gets a row of 256 cells: its keys' own, and elsewhere
        // what the first byte alone decodes to.
        for (const TableEntry &entry : subtable.Entries()) {
            if (KeyWidth(entry.key) != 2)
                continue;
            const std::uint8_t pair[]
                = {static_cast<std::uint8_t>(entry.key >> 8), static_cast<std::uint8_t>(entry.key)};
            Row &row = rows_[pair[0]];
            if (row.mask == 0) {
                const Cell alone = cells_[pair[0]];
                row = {static_cast<std::uint32_t>(cells_.size()), 0xFF};
                cells_.insert(cells_.end(), 256, alone);
            }
            // Of equal keys, the lookup finds the one the dump must use.
            cells_[row.offset + pair[1]] = MakeCell(DecodeBytes(table, subtable, pair), pair[0]);
            pairs_.Add(pair[0], pair[1]);
        }
        pairs_.Finish();
    }

    // The cell of the key that starts with b0, followed by b1.
    [[nodiscard]] const Cell &At(std::uint8_t b0, std::uint8_t b1) const
    {
        const Row row = rows_[b0];
        return cells_[row.offset + (b1 & row.mask)];
    }
    // The cell of b0 when it is the document's last byte.
    [[nodiscard]] const Cell &Last(std::uint8_t b0) const { return cells_[b0]; }

    [[nodiscard]] const PairKeys &Pairs() const { return pairs_; }

    // Offers the key at position, whose bytes begin at bytes, to the exact dump.
    void Offer(const Cell &cell, const std::uint8_t *bytes, std::int64_t position) const
    {
        std::string_view text(cell.text, cell.length);
        if ((cell.flags & kLongText) != 0) {
            std::uint32_t index = 0;
            std::memcpy(&index, cell.text, sizeof index);
            text = longTexts_[index];
        }
        exact_.Key(text,
                   std::span(bytes, cell.width),
                   position,
                   (cell.flags & kCheck) == 0,
                   (cell.flags & kThenHeader) != 0);
    }

    [[nodiscard]] ExactDump &Exact() const { return exact_; }

private:
    Cell MakeCell(const DecodedEntry &decoded, std::uint8_t firstByte)
    {
        const StoredEntry stored = StoredEntryOf(decoded, firstByte, codes_);
        Cell cell{};
        cell.width = static_cast<std::uint8_t>(decoded.byteCount);
        cell.flags = stored.thenHeader ? kThenHeader : 0;
        if (!exact_.WritesAlone(subtable_, decoded))
            cell.flags |= kCheck;
        if (stored.text.size() <= Cell::kInline) {
            std::memcpy(cell.text, stored.text.data(), stored.text.size());
            cell.length = static_cast<std::uint8_t>(stored.text.size());
        } else {
            const auto index = static_cast<std::uint32_t>(longTexts_.size());
            std::memcpy(cell.text, &index, sizeof index);
            longTexts_.push_back(stored.text);
            cell.flags |= kLongText;
        }
        return cell;
    }

    struct Row
    {
        std::uint32_t offset; // of the row's cells, or of b0's own cell
        std::uint32_t mask;   // 0xFF when b1 picks the cell, else 0
    };
    std::vector<Cell> cells_;
    std::array<Row, 256> rows_{};
    PairKeys pairs_;
    std::vector<std::string> longTexts_;
    const Subtable &subtable_;
    bool codes_;
    ExactDump &exact_;
};

// Dumps the keys that start in [position, position + count) of bytes, which holds the bytes from
// position on and one more; returns where the next key starts.
std::int64_t DumpBlock(const DumpCells &cells,
                       const std::uint8_t *bytes,
                       std::int64_t count,
                       std::int64_t position,
                       StoredScript &script)
{
    std::uint64_t consumedFirst = 0; // whether the word's position 0 is a second byte
    for (std::int64_t word = 0; word < count; word += 64) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(64, count - word));
        const std::uint8_t *at = bytes + word;
        const std::uint64_t pairs = cells.Pairs().BitsOf(at, n);
        const std::uint64_t consumed = SecondBytesOf(pairs & ~consumedFirst) | consumedFirst;
        const std::uint64_t valid = n == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
        std::uint64_t starts = ~consumed & valid;
        char *out = script.Reserve(); // room for 64 inline texts
        bool pending = cells.Exact().Pending();
        while (starts != 0) {
            const auto i = static_cast<std::size_t>(std::countr_zero(starts));
            starts &= starts - 1;
            const DumpCells::Cell &cell = cells.At(at[i], at[i + 1]);
            if (cell.flags == 0 && !pending) [[likely]] {
                std::memcpy(out, &cell, sizeof cell);
                out += cell.length;
                continue;
            }
            script.Commit(out);
            cells.Offer(cell, at + i, position + word + static_cast<std::int64_t>(i));
            pending = cells.Exact().Pending();
            out = script.Reserve();
        }
        script.Commit(out);
        if (!script.ok())
            return position + count;
        // Whether the position after the word is the second byte of its last key.
        consumedFirst = (pairs >> (n - 1)) & ~(consumed >> (n - 1)) & 1;
    }
    return position + count + static_cast<std::int64_t>(consumedFirst);
}

// The dump of a table whose keys are at most two bytes wide: long blocks of one page and one
// subtable go through DumpBlock, and a key crossing into the next page or the document's last
// byte is read alone, through the same cells. Bytes that cannot be read stop it with the reason.
Status DumpThroughCells(Document &document,
                        const TableFile &table,
                        ByteRange range,
                        bool codes,
                        StoredScript &script,
                        ExactDump &exact,
                        std::int64_t &position,
                        const ProgressCallback &progress)
{
    const std::int64_t end = RangeEnd(range.offset, range.length, document.Size());
    const std::int64_t first = std::max<std::int64_t>(range.offset, 0);
    std::vector<std::unique_ptr<DumpCells>> cellsOf(static_cast<std::size_t>(table.SubtableCount())
                                                    + 1);
    TableFile::SubtableRun run{0, 0};
    const DumpCells *cells = nullptr;
    std::int64_t nextReport = first + kProgressStep;
    for (position = first; position < end && script.ok();) {
        if (position >= nextReport) {
            if (progress && !progress(position - first, end - first))
                return Status::Cancelled();
            nextReport = position + kProgressStep;
        }
        if (position >= run.until) {
            run = table.SubtableRunAt(position);
            auto &built = cellsOf[static_cast<std::size_t>(run.number)];
            if (!built)
                built = std::make_unique<DumpCells>(
                    table, table.GetSubtable(run.number), codes, exact);
            cells = built.get();
        }
        const std::span<const std::uint8_t> page = document.SpanAt(position);
        const std::int64_t blockEnd = std::min(
            {end, run.until, nextReport, position + static_cast<std::int64_t>(page.size()) - 1});
        if (blockEnd > position) {
            position = DumpBlock(*cells, page.data(), blockEnd - position, position, script);
            continue;
        }
        std::array<std::uint8_t, 2> bytes{};
        const std::int64_t read = document.ReadBlock(position, bytes);
        if (read <= 0)
            return Status::Error(
                document.TakeIoError().value_or("Unable to read the document to dump it."));
        const DumpCells::Cell &cell
            = read == 2 ? cells->At(bytes[0], bytes[1]) : cells->Last(bytes[0]);
        cells->Offer(cell, bytes.data(), position);
        position += cell.width;
    }
    return Status::Ok();
}

} // namespace

Status DumpScript(Document &document,
                  const TableFile *table,
                  ByteRange range,
                  bool clean,
                  const DumpSink &sink,
                  const ProgressCallback &progress,
                  std::int64_t *notExact)
{
    StoredScript script(sink);
    if (!table) {
        if (!clean)
            script.Append(StoredOffsetHeader(range.offset));
        return script.Finish();
    }
    const bool codes = !clean;
    ExactDump exact(
        *table,
        codes,
        [&script](std::string_view stored) { script.Append(stored); },
        [&script] { return script.LastChar(); });
    if (codes)
        exact.Header(range.offset);
    std::int64_t end = std::max<std::int64_t>(range.offset, 0);
    // Keys of one and two bytes go through cells made once; linked entries, whose text depends
    // on the bytes after them, are read one by one.
    if (table->GetMaxKeyBytes() <= 2 && !table->HasLinkedEntries()) {
        const Status walked
            = DumpThroughCells(document, *table, range, codes, script, exact, end, progress);
        if (!walked.ok())
            return walked;
    } else {
        const bool finished
            = WalkEntries(document,
                          *table,
                          range.offset,
                          range.length,
                          progress,
                          [&](const DecodedEntry &decoded,
                              std::int64_t position,
                              std::span<const std::uint8_t> bytes) {
                              const StoredEntry stored
                                  = StoredEntryOf(*table, decoded, bytes, codes);
                              exact.Key(stored.text,
                                        bytes,
                                        position,
                                        exact.WritesAlone(table->SubtableAt(position), decoded),
                                        stored.thenHeader);
                              end = position + decoded.byteCount;
                              return script.ok();
                          });
        if (!finished)
            return Status::Cancelled();
    }
    // Bytes the document could not read would be dumped as what they are not.
    if (auto error = document.TakeIoError())
        return Status::Error(*error);
    exact.Finish(end);
    const Status finished = script.Finish();
    // A Clean dump whose text begins as an offset header would be read as a dump with headers.
    const bool readAsHeaded = clean && HasOffsetHeaders(TextFromStoredBytes(script.Opening()));
    if (notExact)
        *notExact = exact.NotExact() + (readAsHeaded ? 1 : 0);
    return finished;
}

Status DumpScriptToFile(FileSystem &files,
                        Document &document,
                        const TableFile *table,
                        ByteRange range,
                        bool clean,
                        const std::filesystem::path &path,
                        const ProgressCallback &progress,
                        std::int64_t *notExact)
{
    SafeFileStream file(files);
    Status status = file.Open(path);
    if (status.ok()) {
        status = DumpScript(
            document,
            table,
            range,
            clean,
            [&file](std::string_view bytes) { return file.Write(bytes); },
            progress,
            notExact);
    }
    if (status.ok())
        status = file.Commit();
    return status;
}

std::string
CopyStringText(Document &document, const TableFile *table, std::int64_t start, std::int64_t count)
{
    std::string text;
    if (!table) {
        const std::int64_t end = RangeEnd(start, count, document.Size());
        for (std::int64_t position = std::max<std::int64_t>(start, 0); position < end; ++position) {
            const std::uint8_t byte = document.ReadByte(position);
            if (byte == 0)
                break;
            text.push_back(static_cast<char>(byte));
        }
        return text;
    }
    const std::string_view endString
        = table->GetCodePage() == kDefaultTableCodePage ? "\r\n \r\n" : "\r\n\r\n";
    (void)WalkEntries(
        document,
        *table,
        start,
        count,
        {},
        [&](const DecodedEntry &decoded, std::int64_t, std::span<const std::uint8_t> bytes) {
            const std::string &entryText = decoded.entry->text;
            if (entryText == kNewlineMarker)
                text += decoded.entry->label + "\r\n";
            else if (entryText == kEndStringMarker)
                text += decoded.entry->label + std::string(endString);
            else
                text += entryText.empty() ? FallbackEntry().text : entryText;
            text += EntrySuffix(*table, decoded, bytes);
            return true;
        });
    return text;
}

} // namespace byteloom
