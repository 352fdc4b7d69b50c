#include "clipboard/copy_hex_as.h"

#include "document/document.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace byteloom {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::uint8_t byte, std::string &text)
{
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
}

std::vector<std::uint8_t> SelectedBytes(Document &document, std::int64_t start, std::int64_t end)
{
    const std::int64_t lo = std::clamp<std::int64_t>(std::min(start, end), 0, document.Size());
    const std::int64_t hi = std::clamp<std::int64_t>(std::max(start, end), 0, document.Size());
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(hi - lo));
    bytes.resize(static_cast<std::size_t>(document.ReadBlock(lo, bytes)));
    return bytes;
}

// Elements of `width` bytes each, written in the chosen byte order; a short last element is
// padded with zero bytes, which come after its bytes in big-endian order and before them in
// little-endian order.
std::string ArrayText(const std::vector<std::uint8_t> &bytes,
                      std::size_t width,
                      const char *type,
                      bool bigEndian)
{
    if (bytes.empty())
        return {};
    const std::size_t count = (bytes.size() + width - 1) / width;
    char header[96];
    std::snprintf(header,
                  sizeof header,
                  "/*Copied from Byteloom*/\r\nunsigned %s HexData[0x%08zX] {\r\n",
                  type,
                  count);
    std::string text = header;
    text.reserve(text.size() + count * (2 * width + 6) + 8);
    for (std::size_t element = 0; element < count; ++element) {
        std::vector<std::uint8_t> group(width, 0);
        const std::size_t first = element * width;
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(first),
                    std::min(width, bytes.size() - first),
                    group.begin());
        if (!bigEndian)
            std::reverse(group.begin(), group.end());
        text += "0x";
        for (const std::uint8_t byte : group)
            AppendHexByte(byte, text);
        if (element + 1 == count)
            break;
        text += ", ";
        if ((first + width) % 8 == 0)
            text += "\r\n";
    }
    text += "\r\n};";
    return text;
}

} // namespace

std::string CopyHexAsText(Document &document, std::int64_t start, std::int64_t end)
{
    return HexText(SelectedBytes(document, start, end));
}

std::string HexText(std::span<const std::uint8_t> bytes)
{
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        AppendHexByte(bytes[k], text);
        if (k % 2 == 1)
            text += ' ';
        if ((k + 1) % 16 == 0)
            text += "\r\n";
    }
    return text;
}

std::string CopyHexAsCharArray(Document &document, std::int64_t start, std::int64_t end)
{
    return ArrayText(SelectedBytes(document, start, end), 1, "char", true);
}

std::string
CopyHexAsShortArray(Document &document, std::int64_t start, std::int64_t end, bool bigEndian)
{
    return ArrayText(SelectedBytes(document, start, end), 2, "short", bigEndian);
}

std::string
CopyHexAsIntArray(Document &document, std::int64_t start, std::int64_t end, bool bigEndian)
{
    return ArrayText(SelectedBytes(document, start, end), 4, "int", bigEndian);
}

} // namespace byteloom
