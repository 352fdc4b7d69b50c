#include "session/command_line.h"

#include "common/number_text.h"

#include <algorithm>
#include <cctype>

namespace byteloom {

std::string UnquoteCommandLinePath(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return std::string(text);
}

bool IsTableFileName(std::string_view path)
{
    if (path.size() < 4)
        return false;
    std::string extension(path.substr(path.size() - 4));
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) {
        return static_cast<char>(std::tolower(c));
    });
    return extension == ".tbl";
}

StartupFiles SortStartupFiles(const std::vector<std::string> &words,
                              const std::vector<std::string> &tableOptions,
                              const std::function<bool(const std::string &)> &exists)
{
    StartupFiles files;
    std::vector<std::string> paths;
    std::string joined;
    for (const std::string &word : words)
        joined += (joined.empty() ? "" : " ") + word;
    const bool eachAFile = std::all_of(words.begin(), words.end(), exists);
    if (words.size() > 1 && !eachAFile && exists(UnquoteCommandLinePath(joined)))
        paths.push_back(UnquoteCommandLinePath(joined));
    else
        for (const std::string &word : words)
            paths.push_back(UnquoteCommandLinePath(word));
    files.tables = tableOptions;
    for (const std::string &path : paths) {
        if (IsTableFileName(path))
            files.tables.push_back(path);
        else if (files.document.empty())
            files.document = path;
    }
    return files;
}

std::optional<std::int64_t> ReadOffsetOption(std::string_view text)
{
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    return ParseWholeOffset(text, 16);
}

} // namespace byteloom
