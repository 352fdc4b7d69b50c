#include "scripts/pointer_dump.h"

#include "common/number_text.h"
#include "document/document.h"
#include "scripts/script_encoder.h"
#include "scripts/script_report.h"
#include "tables/table_codec.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace byteloom {

namespace {

struct Pointer
{
    std::int64_t number = 0; // from 1, as the table lists them
    std::int64_t offset = 0;
    std::optional<std::int64_t> target;
};

// One key of a string: its bytes and the text the dump writes for it.
struct Piece
{
    std::vector<std::uint8_t> bytes;
    std::string text;
    bool lineBreak = false; // a line token: the dump breaks its line after it
};

struct DumpedString
{
    std::int64_t start = 0;
    std::int64_t end = 0; // past its end token
    std::vector<Piece> pieces;
};

std::string RawText(std::span<const std::uint8_t> bytes)
{
    std::string text;
    char code[8];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(code, sizeof code, "<$%02X>", byte);
        text += code;
    }
    return text;
}

// The string at start up to and with its end token; nothing when the file ends first.
std::optional<DumpedString> ReadString(Document &document,
                                       const TableFile &table,
                                       std::int64_t start,
                                       std::optional<std::uint32_t> endToken)
{
    DumpedString string{start, start, {}};
    while (string.end < document.Size()) {
        const DecodedEntry decoded = DecodeAt(table, document, string.end);
        Piece piece;
        piece.bytes.resize(static_cast<std::size_t>(decoded.byteCount));
        (void)document.ReadBlock(string.end, piece.bytes);
        string.end += decoded.byteCount;
        const std::uint32_t key = ValueOfBytes(piece.bytes, true);
        const TableEntry &entry = *decoded.entry;
        const bool marker = !decoded.IsFallback()
                            && (entry.text == kEndStringMarker || entry.text == kNewlineMarker);
        const bool end
            = (marker && entry.text == kEndStringMarker) || (endToken && key == *endToken);
        if (decoded.IsFallback() || entry.text.empty() || (marker && entry.label.empty()))
            piece.text = RawText(piece.bytes);
        else
            piece.text = marker ? entry.label : entry.text;
        piece.lineBreak = marker && !end;
        string.pieces.push_back(std::move(piece));
        if (end)
            return string;
    }
    return std::nullopt;
}

// The bytes the inserter makes of text written at offset, up to a character no entry encodes.
std::vector<std::uint8_t>
Encoded(const ScriptEncoder &encoder, std::string_view text, std::int64_t offset)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t at = 0; at < text.size();) {
        const TextPiece piece
            = encoder.Next(text, at, offset + static_cast<std::int64_t>(bytes.size()));
        if (piece.kind == TextPiece::Kind::Unknown)
            break; // what comes before it is compared
        bytes.insert(bytes.end(), piece.Bytes().begin(), piece.Bytes().end());
        at += piece.length;
    }
    return bytes;
}

bool StartsALine(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    return first != std::string_view::npos
           && (text[first] == '#' || text.substr(first).starts_with("//"));
}

// The string's lines as the dump writes them: its pieces' texts, a line break after each line
// token and its end. A piece whose text would read back as other bytes (its text and the next
// spell a longer entry, or it starts a line as a command or comment would) is written as the
// codes of its bytes, until the whole reads back exactly.
std::string StringText(const ScriptEncoder &encoder, DumpedString &string)
{
    std::vector<std::uint8_t> original;
    for (const Piece &piece : string.pieces)
        original.insert(original.end(), piece.bytes.begin(), piece.bytes.end());
    for (;;) {
        std::string text;
        std::string joined;
        std::size_t lineStart = 0;
        std::optional<std::size_t> wrong;
        std::vector<std::size_t> pieceAt; // where each piece's bytes begin
        std::size_t byteCount = 0;
        for (std::size_t i = 0; i < string.pieces.size(); ++i) {
            const Piece &piece = string.pieces[i];
            pieceAt.push_back(byteCount);
            byteCount += piece.bytes.size();
            if (text.size() == lineStart && StartsALine(piece.text) && !wrong)
                wrong = i;
            text += piece.text;
            joined += piece.text;
            if (piece.lineBreak || i + 1 == string.pieces.size()) {
                text += '\n';
                lineStart = text.size();
            }
        }
        if (!wrong) {
            const std::vector<std::uint8_t> encoded = Encoded(encoder, joined, string.start);
            if (encoded == original)
                return text;
            std::size_t differs = 0;
            while (differs < encoded.size() && differs < original.size()
                   && encoded[differs] == original[differs])
                ++differs;
            wrong = static_cast<std::size_t>(
                        std::upper_bound(pieceAt.begin(), pieceAt.end(), differs) - pieceAt.begin())
                    - 1;
        }
        Piece &piece = string.pieces[*wrong];
        const std::string raw = RawText(piece.bytes);
        if (piece.text == raw) // the codes themselves do not read back: nothing more to try
            return text;
        piece.text = raw;
    }
}

std::string PointerNames(const std::vector<const Pointer *> &pointers)
{
    std::string names;
    for (const Pointer *pointer : pointers)
        names += (names.empty() ? "" : ", ") + std::to_string(pointer->number) + " at "
                 + HexOffset(pointer->offset);
    return (pointers.size() == 1 ? "Pointer " : "Pointers ") + names;
}

// A hexadecimal field, "-" before it for a negative number; an empty field is fallback.
std::optional<std::int64_t> SignedField(const std::string &text, std::int64_t fallback)
{
    if (text.empty())
        return fallback;
    const bool negative = text.starts_with('-');
    const auto value = ParseWholeOffset(std::string_view(text).substr(negative ? 1 : 0), 16);
    if (!value)
        return std::nullopt;
    return negative ? -*value : *value;
}

} // namespace

PointerTableFields PointerTableFieldsOf(std::int64_t lo, std::int64_t hi)
{
    PointerTableFields fields;
    const std::int64_t first = std::min(lo, hi);
    const std::int64_t length = std::max(lo, hi) - first + 1;
    char text[24];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(first));
    fields.start = text;
    std::snprintf(text,
                  sizeof text,
                  "%llX",
                  static_cast<unsigned long long>(std::max<std::int64_t>(length / 2, 1)));
    fields.count = text;
    return fields;
}

std::variant<PointerTable, std::string> ReadPointerTableFields(const PointerTableFields &fields)
{
    PointerTable table;
    const auto start = ParseWholeOffset(fields.start, 16);
    const auto count = ParseWholeOffset(fields.count, 16);
    if (!start || !count || *count == 0)
        return std::string(
            "Give the pointer table's start and its count of pointers (hexadecimal)");
    const auto header = SignedField(fields.header, 0);
    const auto offsetting = SignedField(fields.offsetting, 0);
    if (!header || *header < 0 || !offsetting)
        return std::string("The header and the offsetting are hexadecimal numbers");
    const auto type = AddressTypeOfName(fields.type);
    if (!type || !IsPointerSize(fields.bits))
        return std::string("Choose the pointers' size and address type");
    table.start = *start;
    table.count = *count;
    table.header = *header;
    table.form = {*type, *offsetting, fields.bits};
    table.bigEndian = fields.bigEndian;
    if (!fields.base.empty()) {
        const auto base = ParseWholeOffset(fields.base, 16);
        if (!base)
            return std::string("The base is a game address in hexadecimal");
        table.base = *base;
    }
    if (!fields.endToken.empty()) {
        const auto key = ParseWholeNumber(fields.endToken, 16);
        if (!key)
            return std::string("The end token is a key in hexadecimal, such as A0");
        table.endToken = *key;
    }
    return table;
}

PointerDump DumpPointerTable(Document &document,
                             const TableFile &table,
                             std::string_view tableName,
                             const PointerTable &spec)
{
    PointerDump dump;
    const int width = spec.form.bits / 8;
    if (spec.start < 0 || spec.count < 0
        || spec.start + (spec.count - 1) * spec.Step() + width > document.Size()) {
        dump.status = Status::Error("The pointer table runs past the end of the file.");
        return dump;
    }
    std::vector<Pointer> pointers;
    std::map<std::int64_t, std::vector<const Pointer *>> byTarget;
    for (std::int64_t i = 0; i < spec.count; ++i) {
        Pointer pointer{i + 1, spec.start + i * spec.Step(), std::nullopt};
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width));
        (void)document.ReadBlock(pointer.offset, bytes);
        pointer.target = PointerTarget(
            spec.form, ValueOfBytes(bytes, spec.bigEndian), spec.header, spec.Base());
        pointers.push_back(pointer);
    }
    std::string setAside;
    for (const Pointer &pointer : pointers) {
        if (pointer.target && *pointer.target < document.Size())
            byTarget[*pointer.target].push_back(&pointer);
        else
            setAside += "// " + PointerNames({&pointer}) + " points outside the file\n";
    }
    const ScriptEncoder encoder(table);
    std::vector<std::pair<DumpedString, std::vector<const Pointer *>>> strings;
    for (auto &[target, its] : byTarget) {
        if (!strings.empty() && target < strings.back().first.end) {
            setAside += "// " + PointerNames(its) + " point into the middle of the string at "
                        + HexOffset(strings.back().first.start) + "\n";
            continue;
        }
        auto string = ReadString(document, table, target, spec.endToken);
        if (!string) {
            setAside += "// " + PointerNames(its) + " point to " + HexOffset(target)
                        + ", whose string runs to the end of the file without an end token\n";
            continue;
        }
        strings.emplace_back(std::move(*string), its);
    }
    std::string &out = dump.script;
    out = "// Strings of the pointer table at " + HexOffset(spec.start) + ": "
          + std::to_string(spec.count) + " pointers of " + std::to_string(spec.form.bits)
          + " bits, " + std::string(NameOf(spec.form.type)) + ", step "
          + std::to_string(spec.Step()) + "\n#VAR(Table, TABLE)\n#ADDTBL(\""
          + std::string(tableName) + "\", Table)\n" + "#ACTIVETBL(Table)\n#HDR("
          + HexOffset(spec.header) + ")\n" + "#VAR(Ptr, CUSTOMPOINTER)\n#CREATEPTR(Ptr, \""
          + std::string(NameOf(spec.form.type)) + "\", " + HexOffset(spec.form.offsetting) + ", "
          + std::to_string(spec.form.bits) + ")\n"
          + (spec.bigEndian ? "#ENDIANSWAP(\"TRUE\")\n" : "") + setAside;
    for (std::size_t i = 0; i < strings.size(); ++i) {
        auto &[string, its] = strings[i];
        if (i == 0 || strings[i - 1].first.end != string.start) {
            std::size_t last = i;
            while (last + 1 < strings.size()
                   && strings[last + 1].first.start == strings[last].first.end)
                ++last;
            out += "\n#JMP(" + HexOffset(string.start) + ", "
                   + HexOffset(strings[last].first.end - 1) + ")\n";
        }
        out += "// " + PointerNames(its) + (its.size() == 1 ? " points" : " point") + " to "
               + HexOffset(string.start) + "\n";
        for (const Pointer *pointer : its)
            out += "#WRITE(Ptr, " + HexOffset(pointer->offset) + ")\n";
        out += StringText(encoder, string);
        ++dump.strings;
        dump.pointers += static_cast<int>(its.size());
    }
    dump.setAside = static_cast<int>(spec.count) - dump.pointers;
    return dump;
}

} // namespace byteloom
