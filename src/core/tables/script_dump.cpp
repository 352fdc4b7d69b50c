#include "tables/script_dump.h"

#include "document/document.h"
#include "document/safe_file_writer.h"
#include "tables/table_codec.h"
#include "tables/table_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace byteloom {

namespace {

constexpr std::size_t kFlushSize = 1 << 20;
// Texts up to this length are appended with one fixed-size copy.
constexpr std::size_t kShortText = 16;

std::string OffsetHeader(std::int64_t offset)
{
    char text[32];
    std::snprintf(text, sizeof text, "<%08lx>\r\n", static_cast<unsigned long>(offset));
    return text;
}

std::string ByteCode(std::uint8_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "<%x>", value);
    return text;
}

// How many bytes a walk covers between two reports of its progress.
constexpr std::int64_t kProgressStep = 1 << 20;

// Walks [start, start + count) entry by entry, stopping at the end of the document; a key that
// runs past the end of the range is still decoded whole. Each position is decoded through the
// subtable for its offset, as the view shows it. Keys are read straight from the page in memory;
// only one that crosses a page boundary or the end of the document is read through DecodeAt.
// visit gets the decoded entry, the number of the subtable it came from, its offset and its
// first byte, and returns false to stop the walk. Returns false when progress stopped it.
template<typename Visit>
bool WalkEntries(Document &document,
                 const TableFile &table,
                 std::int64_t start,
                 std::int64_t count,
                 const ProgressCallback &progress,
                 Visit visit)
{
    const std::int64_t end = std::min(start + count, document.Size());
    const auto widest = static_cast<std::size_t>(std::max(table.GetMaxKeyBytes(), 1));
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
        std::uint8_t firstByte = 0;
        if (widest <= page.size()) {
            decoded = DecodeBytes(table, *subtable, page.subspan(index, widest));
            firstByte = page[index];
        } else {
            // A key that crosses into the next page, or the document's last bytes.
            firstByte = page.empty() ? document.ReadByte(position) : page[index];
            decoded = DecodeAt(table, document, position);
            page = {}; // DecodeAt may have swapped the page out
        }
        if (!visit(decoded, run.number, position, firstByte))
            return true;
        position += decoded.byteCount;
    }
    return true;
}

// Collects the dump as it is stored (each LF as CR LF) and hands it to the sink a large piece at
// a time. After a failure of the sink it takes nothing more.
class StoredScript
{
public:
    explicit StoredScript(const DumpSink &sink)
        : sink_(sink)
        , buffer_(kFlushSize + 4096)
    {}

    void Emit(std::string_view text)
    {
        // Each character takes at most two places once LF becomes CR LF.
        if (used_ + 2 * text.size() > buffer_.size()) {
            Flush();
            buffer_.resize(std::max(buffer_.size(), 2 * text.size()));
        }
        char *out = buffer_.data() + used_;
        for (const char c : text) {
            if (c == '\n')
                *out++ = '\r';
            *out++ = c;
        }
        used_ = static_cast<std::size_t>(out - buffer_.data());
        if (used_ >= kFlushSize)
            Flush();
    }

    // A text already in its stored form, readable for kShortText bytes from its start.
    void EmitStored(const char *bytes, std::size_t length)
    {
        if (length > kShortText || used_ + kShortText > buffer_.size()) {
            Emit(std::string_view(bytes, length)); // no LF is left in a stored text
            return;
        }
        std::memcpy(buffer_.data() + used_, bytes, kShortText);
        used_ += length;
        if (used_ >= kFlushSize)
            Flush();
    }

    [[nodiscard]] bool ok() const { return status_.ok(); }

    Status Finish()
    {
        Flush();
        return status_;
    }

private:
    void Flush()
    {
        if (status_.ok() && used_ > 0)
            status_ = sink_(std::string_view(buffer_.data(), used_));
        used_ = 0;
    }

    const DumpSink &sink_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    Status status_ = Status::Ok();
};

// The stored form of every entry text of one subtable a dump reads through, kept in one block
// with room behind each, so that a short text is appended with one fixed-size copy instead of a
// loop of unknown length: the dump's inner step.
class StoredEntryTexts
{
public:
    enum class Kind : std::uint8_t { Text, Newline, EndString };

    explicit StoredEntryTexts(const Subtable &subtable)
        : entries_(subtable.Entries())
    {
        texts_.reserve(entries_.size());
        for (const TableEntry &entry : entries_) {
            const auto offset = static_cast<std::uint32_t>(block_.size());
            Kind kind = Kind::Text;
            if (entry.text == kNewlineMarker)
                kind = Kind::Newline;
            else if (entry.text == kEndStringMarker)
                kind = Kind::EndString;
            for (const char c : entry.text) {
                if (c == '\n')
                    block_.push_back('\r');
                block_.push_back(c);
            }
            texts_.push_back({offset, static_cast<std::uint32_t>(block_.size() - offset), kind});
        }
        block_.resize(block_.size() + kShortText);
    }

    struct Text
    {
        std::uint32_t offset;
        std::uint32_t length;
        Kind kind;
    };
    [[nodiscard]] const Text &Of(const TableEntry *entry) const
    {
        return texts_[static_cast<std::size_t>(entry - entries_.data())];
    }
    [[nodiscard]] const char *Bytes(const Text &text) const { return block_.data() + text.offset; }

private:
    const std::vector<TableEntry> &entries_;
    std::vector<Text> texts_;
    std::vector<char> block_;
};

} // namespace

Status DumpScript(Document &document,
                  const TableFile *table,
                  DumpRange range,
                  bool clean,
                  const DumpSink &sink,
                  const ProgressCallback &progress)
{
    StoredScript script(sink);
    if (!clean)
        script.Emit(OffsetHeader(range.start));
    if (!table)
        return script.Finish();
    // Without Clean every byte no entry matches is written as its code, whatever the table's
    // code page, so that the dump inserts back byte for byte.
    const bool codes = !clean;
    std::vector<StoredEntryTexts> texts;
    for (int number = 0; number <= table->SubtableCount(); ++number)
        texts.emplace_back(table->GetSubtable(number));
    const auto visit =
        [&](const DecodedEntry &decoded, int subtable, std::int64_t position, std::uint8_t first) {
            if (decoded.IsFallback()) {
                script.Emit(codes ? ByteCode(first) : decoded.entry->text);
                return script.ok();
            }
            const StoredEntryTexts &stored = texts[static_cast<std::size_t>(subtable)];
            const StoredEntryTexts::Text &text = stored.Of(decoded.entry);
            switch (text.kind) {
            case StoredEntryTexts::Kind::Text:
                script.EmitStored(stored.Bytes(text), text.length);
                break;
            case StoredEntryTexts::Kind::Newline:
                script.Emit(decoded.entry->label);
                script.Emit("\r\n");
                break;
            case StoredEntryTexts::Kind::EndString:
                script.Emit(decoded.entry->label);
                script.Emit("\r\n\r\n");
                if (!clean)
                    script.Emit(OffsetHeader(position + decoded.byteCount));
                break;
            }
            return script.ok();
        };
    if (!WalkEntries(document, *table, range.start, range.length, progress, visit))
        return Status::Cancelled();
    return script.Finish();
}

Status DumpScriptToFile(Document &document,
                        const TableFile *table,
                        DumpRange range,
                        bool clean,
                        const std::filesystem::path &path,
                        const ProgressCallback &progress,
                        FileSystem &files)
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
            progress);
    }
    // Bytes the document could not read would be dumped as zeros: no file is better.
    if (auto error = document.TakeIoError(); error && status.ok())
        status = Status::Error(*error);
    if (status.ok())
        status = file.Commit();
    return status;
}

std::string
CopyStringText(Document &document, const TableFile *table, std::int64_t start, std::int64_t count)
{
    std::string text;
    if (!table) {
        const std::int64_t end = std::min(start + count, document.Size());
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
    (void)WalkEntries(document,
                      *table,
                      start,
                      count,
                      {},
                      [&](const DecodedEntry &decoded, int, std::int64_t, std::uint8_t) {
                          const std::string &entryText = decoded.entry->text;
                          if (entryText == kNewlineMarker)
                              text += decoded.entry->label + "\r\n";
                          else if (entryText == kEndStringMarker)
                              text += decoded.entry->label + std::string(endString);
                          else
                              text += entryText;
                          return true;
                      });
    return text;
}

} // namespace byteloom
