#include "scripts/script_encoder.h"

#include "common/number_text.h"
#include "tables/table_codec.h"

#include <algorithm>

namespace byteloom {

namespace {

// "<$XX>" or "($XX)" at position at: the byte, or -1.
int RawByteAt(std::string_view text, std::size_t at)
{
    if (at + 5 > text.size() || text[at + 1] != '$')
        return -1;
    const char close = text[at] == '<' ? '>' : text[at] == '(' ? ')' : '\0';
    if (close == '\0' || text[at + 4] != close)
        return -1;
    const int high = DigitValue(text[at + 2], 16);
    const int low = DigitValue(text[at + 3], 16);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// A key's bytes, most significant first.
void SetKey(TextPiece &piece, std::uint32_t key)
{
    piece.count = KeyWidth(key);
    for (int i = 0; i < piece.count; ++i)
        piece.bytes[static_cast<std::size_t>(i)]
            = static_cast<std::uint8_t>(key >> (8 * (piece.count - 1 - i)));
}

} // namespace

ScriptEncoder::ScriptEncoder(const TableFile &table)
    : table_(&table)
{
    std::vector<const TableEntry *> labelled;
    for (const TableEntry &entry : table.GetSubtable(0).Entries())
        if ((entry.text == kEndStringMarker || entry.text == kNewlineMarker)
            && !entry.label.empty())
            labelled.push_back(&entry);
    // Of equal texts, the one the table lists first is found.
    std::sort(labelled.begin(), labelled.end(), [](const TableEntry *a, const TableEntry *b) {
        return a->order < b->order;
    });
    for (const TableEntry *entry : labelled)
        tokens_.push_back({entry->label, entry->key, true, entry->text == kEndStringMarker});
    for (const std::string &text : table.EndTokensWithoutBytes())
        tokens_.push_back({text, 0, false, true});
    std::stable_sort(tokens_.begin(), tokens_.end(), [](const Token &a, const Token &b) {
        return a.text.size() > b.text.size();
    });
    for (const Token &token : tokens_)
        tokenStarts_[static_cast<unsigned char>(token.text[0])] = true;
}

TextPiece ScriptEncoder::Next(std::string_view text, std::size_t at, std::int64_t offset) const
{
    TextPiece piece;
    if (const int raw = RawByteAt(text, at); raw >= 0) {
        piece.bytes[0] = static_cast<std::uint8_t>(raw);
        piece.count = 1;
        piece.length = 5;
        return piece;
    }
    const std::string_view rest = text.substr(at);
    const EncodedEntry entry = EncodeLongest(*table_, table_->SubtableAt(offset), rest);
    if (tokenStarts_[static_cast<unsigned char>(rest[0])]) {
        for (const Token &token : tokens_) {
            // A longer entry text wins; a token wins a tie.
            if (token.text.size() < entry.length)
                break;
            if (!rest.starts_with(token.text))
                continue;
            piece.kind = token.end ? TextPiece::Kind::End : TextPiece::Kind::Bytes;
            piece.length = token.text.size();
            piece.endToken = token.text;
            if (token.hasBytes)
                SetKey(piece, token.key);
            return piece;
        }
    }
    if (!entry.entry) {
        piece.kind = TextPiece::Kind::Unknown;
        piece.length = CharacterLength(*table_, text, at);
        return piece;
    }
    SetKey(piece, entry.entry->key);
    piece.length = entry.length;
    return piece;
}

bool ScriptEncoder::IsEndToken(std::string_view token) const
{
    return std::any_of(tokens_.begin(), tokens_.end(), [&](const Token &known) {
        return known.end && known.text == token;
    });
}

} // namespace byteloom
