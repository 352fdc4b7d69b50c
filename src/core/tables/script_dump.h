#pragma once

#include "common/byte_range.h"
#include "common/progress.h"
#include "common/status.h"
#include "platform/file_system.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace byteloom {

class Document;
class TableFile;

// Receives the dump's bytes in order, a piece at a time; a failure stops the dump.
using DumpSink = std::function<Status(std::string_view)>;

// The script of a range, each offset decoded through the table's subtable for it (as the view
// shows it), exactly as it is stored, every line break emitted as CR LF stored as CR CR LF.
// Unless clean, the dump inserts back exactly (see ExactDump): an offset header "<%08x>" first
// and after each end-string key, "<%x>" codes for bytes no entry matches and for keys whose text
// would read back otherwise, and last the end mark "<end:%08x>" of the offset after the last key.
// A clean dump is readable text ("." for bytes no entry matches); notExact, when given, gets the
// number of its keys that would not insert back as they were. Without a table only the first
// header is written. The walk stops at the end of the document; bytes that cannot be read stop
// it with the reason. progress is told about every megabyte; when it returns false the dump
// stops with Status::Cancelled().
Status DumpScript(Document &document,
                  const TableFile *table,
                  ByteRange range,
                  bool clean,
                  const DumpSink &sink,
                  const ProgressCallback &progress = {},
                  std::int64_t *notExact = nullptr);

// DumpScript into a file, replacing it safely: a failure, a cancel or a read error of the
// document leaves no file behind and an older file of that name untouched.
Status DumpScriptToFile(FileSystem &files,
                        Document &document,
                        const TableFile *table,
                        ByteRange range,
                        bool clean,
                        const std::filesystem::path &path,
                        const ProgressCallback &progress = {},
                        std::int64_t *notExact = nullptr);

// The Copy String text of count bytes from start: each offset through the table's subtable for
// it, or, without a table, the bytes themselves up to the first 00.
[[nodiscard]] std::string
CopyStringText(Document &document, const TableFile *table, std::int64_t start, std::int64_t count);

} // namespace byteloom
