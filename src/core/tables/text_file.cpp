#include "tables/text_file.h"

#include "document/binary_file.h"

#include <span>

namespace byteloom {

namespace {

constexpr char kEndOfText = '\x1A';

} // namespace

std::string TextFromStoredBytes(std::string_view stored)
{
    stored = stored.substr(0, stored.find(kEndOfText));
    std::string text;
    text.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '\r' && i + 1 < stored.size() && stored[i + 1] == '\n')
            continue;
        text.push_back(stored[i]);
    }
    return text;
}

TextFileResult ReadTextFile(const std::filesystem::path &path)
{
    TextFileResult file = ReadBinaryFile(path);
    if (file.status.ok())
        file.text = TextFromStoredBytes(file.text);
    return file;
}

TextFileResult ReadBinaryFile(const std::filesystem::path &path)
{
    BinaryFile file;
    TextFileResult result;
    result.status = file.Open(path, BinaryFile::Mode::Read);
    if (!result.status.ok())
        return result;
    const std::int64_t length = file.Length();
    if (length < 0) {
        result.status = Status::Error("Unable to read " + path.string());
        return result;
    }
    std::string raw(static_cast<std::size_t>(length), '\0');
    result.status
        = file.ReadAt(0, std::span(reinterpret_cast<std::uint8_t *>(raw.data()), raw.size()));
    if (result.status.ok())
        result.text = std::move(raw);
    return result;
}

} // namespace byteloom
