#include "cli_support.h"
#include "common/path_text.h"
#include "console.h"

#include "common/number_text.h"
#include "document/load_messages.h"
#include "tables/text_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#ifdef _WIN32
#include <io.h>
#define BYTELOOM_ISATTY _isatty
#define BYTELOOM_FILENO _fileno
#else
#include <unistd.h>
#define BYTELOOM_ISATTY isatty
#define BYTELOOM_FILENO fileno
#endif

namespace byteloom::cli {

int Fail(std::string_view message)
{
    WriteText(stderr, "byteloom-cli: " + std::string(message) + "\n");
    return kExitFailure;
}

std::optional<std::int64_t>
ParseOffset(const std::string &text, bool decimal, std::string_view option)
{
    const int base = decimal ? 10 : 16;
    if (const auto value = ParseWholeOffset(text, base))
        return value;
    const bool digits = !text.empty() && std::all_of(text.begin(), text.end(), [base](char c) {
        return DigitValue(c, base) >= 0;
    });
    if (digits)
        Fail(std::string(option) + " " + text + " is too large (at most "
             + (decimal ? "9223372036854775807" : "7FFFFFFFFFFFFFFF") + ")");
    else
        Fail("Please input " + std::string(decimal ? "a decimal" : "a hexadecimal") + " number for "
             + std::string(option) + " (got \"" + text + "\")");
    return std::nullopt;
}

std::optional<std::int64_t>
ParseSignedOffset(const std::string &text, bool decimal, std::string_view option)
{
    const bool negative = text.starts_with('-');
    const auto value = ParseOffset(negative ? text.substr(1) : text, decimal, option);
    if (!value)
        return std::nullopt;
    return negative ? -*value : *value;
}

std::optional<std::pair<std::int64_t, std::int64_t>>
ParseRange(const std::string &start, const std::string &length, bool decimal)
{
    const auto first = ParseOffset(start, decimal, "--start");
    const auto count = first ? ParseOffset(length, decimal, "--length") : std::nullopt;
    if (!count)
        return std::nullopt;
    return std::pair(*first, *count);
}

std::optional<std::string> ReadInput(const std::string &path)
{
    if (path != kStandardStream) {
        const TextFileResult file = ReadBinaryFile(PathOfText(path), RealFileSystem());
        if (!file.status.ok()) {
            Fail(file.status.message());
            return std::nullopt;
        }
        return file.text;
    }
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const std::size_t read = std::fread(buffer, 1, sizeof buffer, stdin);
        bytes.append(buffer, read);
        if (read < sizeof buffer)
            break;
    }
    if (std::ferror(stdin)) {
        Fail("Unable to read standard input");
        return std::nullopt;
    }
    return bytes;
}

bool StdoutIsTerminal()
{
    return BYTELOOM_ISATTY(BYTELOOM_FILENO(stdout)) != 0;
}

bool OpenDocument(Session &session, const std::string &path, bool onlyRead, bool allowPaging)
{
    if (path == kStandardStream && !onlyRead) {
        Fail("FILE is written: give a file, not - (standard input)");
        return false;
    }
    if (path == kStandardStream) {
        const auto bytes = ReadInput(path);
        if (!bytes)
            return false;
        session.NewDocument();
        const Status stored = session.document().ReplaceContents({bytes->begin(), bytes->end()});
        if (!stored.ok())
            Fail(stored.message());
        return stored.ok();
    }
    const LoadResult result = session.OpenDocument(PathOfText(path), allowPaging);
    if (result.status == LoadStatus::Loaded) {
        if (!result.notice.empty())
            WriteText(stderr, "byteloom-cli: " + result.notice + "\n");
        return true;
    }
    // "File not found" only for a file that is not there; otherwise the system's reason.
    std::error_code error;
    if (result.status == LoadStatus::CannotOpen && std::filesystem::exists(PathOfText(path), error)
        && !result.detail.empty()) {
        Fail(result.detail);
        return false;
    }
    std::string message = DescribeLoadFailure(result, TextOfPath(PathOfText(path).filename()));
    if (!result.detail.empty() && result.status == LoadStatus::CannotOpen)
        message += ": " + result.detail;
    Fail(message);
    return false;
}

bool RequireInside(Session &session, std::int64_t offset, std::string_view option)
{
    const std::int64_t size = session.document().Size();
    if (offset >= 0 && offset < size)
        return true;
    char text[96];
    std::snprintf(text,
                  sizeof text,
                  " %llX is at or beyond the end of the file (its size is %llX)",
                  static_cast<unsigned long long>(offset),
                  static_cast<unsigned long long>(size));
    Fail(std::string(option) + text);
    return false;
}

bool OpenTable(Session &session, const std::string &path)
{
    const TableLoadResult result
        = LoadTableFile(session.files(), PathOfText(path), session.tables());
    if (result.status.ok())
        return true;
    if (PathExists(session.files(), PathOfText(path)) == 1)
        Fail(result.status.message());
    else
        Fail(std::string(kFileNotFoundMessage) + ": " + result.status.message());
    return false;
}

bool WriteToStdout(std::string_view bytes)
{
    // The bytes asked for, in the table's code page or UTF-8, even to a console.
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
}

void AddDecimalFlag(CLI::App &command, bool &decimal)
{
    command.add_flag("--decimal", decimal, "Read numbers as decimal instead of hexadecimal");
}

TerminalProgress::TerminalProgress(std::string what, bool wanted)
    : what_(std::move(what))
    , wanted_(wanted)
{}

TerminalProgress::~TerminalProgress()
{
    Clear();
}

void TerminalProgress::Clear()
{
    if (shown_)
        std::fputs("\r\033[K", stderr);
    shown_ = false;
    lastPercent_ = -1;
}

ProgressCallback TerminalProgress::Callback()
{
    if (!wanted_ || !BYTELOOM_ISATTY(BYTELOOM_FILENO(stderr)))
        return {};
    return [this](std::int64_t done, std::int64_t total) {
        const int percent = total > 0 ? static_cast<int>(100 * done / total) : 100;
        if (percent != lastPercent_) {
            std::fprintf(stderr, "\r%s: %d%%", what_.c_str(), percent);
            shown_ = true;
            lastPercent_ = percent;
        }
        return true;
    };
}

bool SaveDocument(Session &session)
{
    const Status saved = session.document().Save();
    if (!saved.ok())
        Fail(saved.message());
    return saved.ok();
}

} // namespace byteloom::cli
