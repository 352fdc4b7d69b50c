#pragma once

#include "tables/table_file.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

// One piece of a text run: the bytes of an entry, of a line token or of a raw "<$XX>", or an end
// token that ends the string.
struct TextPiece
{
    enum class Kind { Bytes, End, Unknown };
    Kind kind = Kind::Bytes;
    std::array<std::uint8_t, 4> bytes{};
    int count = 0;             // how many of bytes it writes (an end token may write none)
    std::size_t length = 0;    // characters of text it stands for
    std::string_view endToken; // the end token's text, for Kind::End

    [[nodiscard]] std::span<const std::uint8_t> Bytes() const
    {
        return std::span(bytes).first(static_cast<std::size_t>(count));
    }
};

// Encodes a command script's text through one table by longest match: "<$XX>" and "($XX)" are
// the byte XX; otherwise the longest of the entry texts (through the subtable for the offset
// being written) and the labels of end and line tokens ("/FF=<END>", "*FE=<LINE>", "/<END>").
class ScriptEncoder
{
public:
    explicit ScriptEncoder(const TableFile &table);

    [[nodiscard]] const TableFile &Table() const { return *table_; }
    // The piece that text begins with at position at, written at offset. An Unknown piece stands
    // for one character (one or two bytes) that nothing encodes.
    [[nodiscard]] TextPiece Next(std::string_view text, std::size_t at, std::int64_t offset) const;
    // Whether token is the text of one of the table's end tokens.
    [[nodiscard]] bool IsEndToken(std::string_view token) const;

private:
    struct Token
    {
        std::string text;
        std::uint32_t key = 0;
        bool hasBytes = true;
        bool end = false;
    };
    const TableFile *table_;
    std::vector<Token> tokens_; // longest text first
    std::array<bool, 256> tokenStarts_{};
};

} // namespace byteloom
