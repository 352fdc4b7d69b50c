#include "cli_support.h"

#include "common/number_text.h"
#include "document/load_messages.h"

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
    std::fprintf(stderr, "byteloom-cli: %.*s\n", static_cast<int>(message.size()), message.data());
    return kExitFailure;
}

std::optional<std::int64_t>
ParseOffset(const std::string &text, bool decimal, std::string_view option)
{
    const auto value = ParseWholeNumber(text, decimal ? 10 : 16);
    if (!value) {
        Fail("Please input " + std::string(decimal ? "a decimal" : "a hexadecimal") + " number for "
             + std::string(option) + " (got \"" + text + "\")");
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*value);
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

bool OpenDocument(Session &session, const std::string &path)
{
    const LoadResult result = session.OpenDocument(path, true);
    if (result.status == LoadStatus::Loaded)
        return true;
    std::string message
        = DescribeLoadFailure(result, std::filesystem::path(path).filename().string());
    if (!result.detail.empty())
        message += ": " + result.detail;
    Fail(message);
    return false;
}

bool OpenTable(Session &session, const std::string &path)
{
    const TableLoadResult result = LoadTableFile(path, session.tables());
    if (!result.status.ok())
        Fail(std::string(kFileNotFoundMessage) + ": " + result.status.message());
    return result.status.ok();
}

bool WriteToStdout(std::string_view bytes)
{
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
}

void AddDecimalFlag(CLI::App &command, bool &decimal)
{
    command.add_flag("--decimal", decimal, "Read numbers as decimal instead of hexadecimal");
}

TerminalProgress::TerminalProgress(std::string what)
    : what_(std::move(what))
{}

TerminalProgress::~TerminalProgress()
{
    if (shown_)
        std::fputs("\n", stderr);
}

ProgressCallback TerminalProgress::Callback()
{
    if (!BYTELOOM_ISATTY(BYTELOOM_FILENO(stderr)))
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
