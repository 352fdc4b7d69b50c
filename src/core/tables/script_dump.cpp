#include "tables/script_dump.h"

#include "document/document.h"
#include "document/safe_file_writer.h"
#include "tables/table_codec.h"
#include "tables/table_file.h"
#include "tables/text_file.h"

#include <algorithm>
#include <cstdio>

namespace byteloom {

namespace {

constexpr std::size_t kFlushSize = 1 << 20;

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

// Walks [start, start + count) entry by entry, stopping at the end of the document; a key that
// runs past the end of the range is still decoded whole.
template<typename Visit>
void WalkEntries(
    Document &document, const TableFile &table, std::int64_t start, std::int64_t count, Visit visit)
{
    const std::int64_t end = std::min(start + count, document.Size());
    for (std::int64_t position = std::max<std::int64_t>(start, 0); position < end;) {
        const DecodedEntry decoded = DecodeAt(table, document, position);
        visit(decoded, position);
        position += decoded.byteCount;
    }
}

} // namespace

Status DumpScript(
    Document &document, const TableFile *table, DumpRange range, bool clean, const DumpSink &sink)
{
    std::string stored;
    Status status = Status::Ok();
    const auto emit = [&](std::string_view text) {
        AppendAsStoredText(text, stored);
        if (stored.size() >= kFlushSize && status.ok()) {
            status = sink(stored);
            stored.clear();
        }
    };
    if (!clean)
        emit(OffsetHeader(range.start));
    if (table) {
        const bool codes = !clean && table->GetCodePage() == kDefaultTableCodePage;
        WalkEntries(document,
                    *table,
                    range.start,
                    range.length,
                    [&](const DecodedEntry &decoded, std::int64_t position) {
                        const std::string &text = decoded.entry->text;
                        if (text == kNewlineMarker) {
                            emit("\r\n");
                        } else if (text == kEndStringMarker) {
                            emit("\r\n\r\n");
                            if (!clean)
                                emit(OffsetHeader(position + decoded.byteCount));
                        } else if (decoded.IsFallback() && codes) {
                            emit(ByteCode(document.ReadByte(position)));
                        } else {
                            emit(text);
                        }
                    });
    }
    if (!status.ok())
        return status;
    return stored.empty() ? status : sink(stored);
}

Status DumpScriptToFile(Document &document,
                        const TableFile *table,
                        DumpRange range,
                        bool clean,
                        const std::filesystem::path &path)
{
    SafeFileStream file;
    Status status = file.Open(path);
    if (status.ok()) {
        status = DumpScript(document, table, range, clean, [&file](std::string_view bytes) {
            return file.Write(bytes);
        });
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
    WalkEntries(document, *table, start, count, [&](const DecodedEntry &decoded, std::int64_t) {
        const std::string &entryText = decoded.entry->text;
        if (entryText == kNewlineMarker)
            text += "\r\n";
        else if (entryText == kEndStringMarker)
            text += endString;
        else
            text += entryText;
    });
    return text;
}

} // namespace byteloom
