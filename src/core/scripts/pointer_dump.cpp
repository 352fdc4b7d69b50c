#include "scripts/pointer_dump.h"

#include "common/number_text.h"
#include "document/document.h"
#include "scripts/command_script.h"
#include "scripts/script_encoder.h"
#include "scripts/script_report.h"
#include "tables/table_codec.h"
#include "tables/table_parser.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
            piece.text = RawByteCodes(piece.bytes);
        else
            piece.text = marker ? entry.label : entry.text;
        piece.lineBreak = marker && !end;
        string.pieces.push_back(std::move(piece));
        if (end)
            return string;
    }
    return std::nullopt;
}

// The bytes the inserter makes of text written at offset, up to a character no entry encodes,
// and for each of its steps where the step's bytes and its text begin.
struct Encoding
{
    std::vector<std::uint8_t> bytes;
    std::vector<std::pair<std::size_t, std::size_t>> steps; // (first byte, first character)
    std::size_t stoppedAt = 0;                              // the character it ended at
};

Encoding Encoded(const ScriptEncoder &encoder, std::string_view text, std::int64_t offset)
{
    Encoding encoding;
    for (std::size_t at = 0; at < text.size();) {
        const TextPiece piece
            = encoder.Next(text, at, offset + static_cast<std::int64_t>(encoding.bytes.size()));
        if (piece.kind == TextPiece::Kind::Unknown)
            break; // what comes before it is compared
        encoding.steps.emplace_back(encoding.bytes.size(), at);
        encoding.bytes.insert(encoding.bytes.end(), piece.Bytes().begin(), piece.Bytes().end());
        at += piece.length;
        encoding.stoppedAt = at;
    }
    return encoding;
}

// Whether a script would read a line that begins so as a command or a comment.
bool ReadsAsCommand(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos
           && (line[first] == '#' || line.substr(first).starts_with("//"));
}

bool NeedsCodes(const Piece &piece, bool asciiOnly)
{
    return std::any_of(piece.text.begin(), piece.text.end(), [asciiOnly](char c) {
        return c == '\r' || c == '\n' || (asciiOnly && static_cast<unsigned char>(c) >= 0x80);
    });
}

// The string's lines as the dump writes them: its pieces' texts, a line break after each line
// token and its end. A piece whose text would read back as other bytes is written as the codes
// of its bytes, until the whole reads back exactly: a text with a line break in it, one that
// starts a line as a command or comment would, one that the encoder reads with what follows it
// as a longer or another entry. With asciiOnly, every text with a byte above 7F is written as
// codes too. exact tells whether the string reads back exactly.
std::string
StringText(const ScriptEncoder &encoder, DumpedString &string, bool asciiOnly, bool &exact)
{
    std::vector<std::uint8_t> original;
    for (Piece &piece : string.pieces) {
        original.insert(original.end(), piece.bytes.begin(), piece.bytes.end());
        if (NeedsCodes(piece, asciiOnly))
            piece.text = RawByteCodes(piece.bytes);
    }
    for (std::size_t tries = 0; tries <= string.pieces.size(); ++tries) {
        std::string text;
        std::string joined;
        std::vector<std::size_t> pieceAt; // where each piece's text begins in joined
        std::optional<std::size_t> wrong;
        std::size_t lineStart = 0;
        std::size_t linePiece = 0;
        for (std::size_t i = 0; i < string.pieces.size(); ++i) {
            const Piece &piece = string.pieces[i];
            pieceAt.push_back(joined.size());
            text += piece.text;
            joined += piece.text;
            if (!piece.lineBreak && i + 1 != string.pieces.size())
                continue;
            const std::string_view line = std::string_view(text).substr(lineStart);
            if (!wrong && ReadsAsCommand(line)) {
                // The piece that holds the line's first character that is not a blank.
                std::size_t at = line.find_first_not_of(" \t");
                wrong = linePiece;
                while (at >= string.pieces[*wrong].text.size()) {
                    at -= string.pieces[*wrong].text.size();
                    ++*wrong;
                }
            }
            text += '\n';
            lineStart = text.size();
            linePiece = i + 1;
        }
        if (!wrong) {
            const Encoding encoding = Encoded(encoder, joined, string.start);
            if (encoding.bytes == original) {
                exact = true;
                return text;
            }
            // The step that made the first wrong byte began in the piece to blame.
            std::size_t differs = 0;
            while (differs < encoding.bytes.size() && differs < original.size()
                   && encoding.bytes[differs] == original[differs])
                ++differs;
            std::size_t textAt = encoding.stoppedAt; // a character nothing encodes
            if (differs < encoding.bytes.size())
                for (const auto &[byte, character] : encoding.steps)
                    if (byte <= differs)
                        textAt = character;
            wrong = static_cast<std::size_t>(
                        std::upper_bound(pieceAt.begin(), pieceAt.end(), textAt) - pieceAt.begin())
                    - 1;
        }
        Piece &piece = string.pieces[std::min(*wrong, string.pieces.size() - 1)];
        const std::string raw = RawByteCodes(piece.bytes);
        if (piece.text == raw)
            break;
        piece.text = raw;
    }
    // Every piece as codes reads back as its bytes.
    std::string text;
    for (std::size_t i = 0; i < string.pieces.size(); ++i) {
        text += RawByteCodes(string.pieces[i].bytes);
        if (string.pieces[i].lineBreak || i + 1 == string.pieces.size())
            text += '\n';
    }
    exact = Encoded(
                encoder,
                [&] {
                    std::string joined;
                    for (const Piece &piece : string.pieces)
                        joined += RawByteCodes(piece.bytes);
                    return joined;
                }(),
                string.start)
                .bytes
            == original;
    return text;
}

std::string Heading(const PointerTable &pointerTable, std::string_view tableName)
{
    const std::string type(NameOf(pointerTable.form.type));
    return "// Strings of the pointer table at " + HexOffset(pointerTable.start) + ": "
           + std::to_string(pointerTable.count)
           + (pointerTable.count == 1 ? " pointer of " : " pointers of ")
           + std::to_string(pointerTable.form.bits) + " bits, " + type + ", step "
           + std::to_string(pointerTable.Step()) + "\n#VAR(Table, TABLE)\n#ADDTBL(\""
           + std::string(tableName) + "\", Table)\n#ACTIVETBL(Table)\n#HDR("
           + HexOffset(pointerTable.header) + ")\n" + "#VAR(Ptr, CUSTOMPOINTER)\n#CREATEPTR(Ptr, \""
           + type + "\", " + HexOffset(pointerTable.form.offsetting) + ", "
           + std::to_string(pointerTable.form.bits) + ")\n"
           + (pointerTable.bigEndian ? "#ENDIANSWAP(\"TRUE\")\n" : "");
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
                             const PointerTable &pointerTable)
{
    PointerDump dump;
    const int width = pointerTable.form.bits / 8;
    std::int64_t last = 0;
    if (pointerTable.start < 0 || pointerTable.count < 1 || pointerTable.Step() < 1
        || __builtin_mul_overflow(pointerTable.count - 1, pointerTable.Step(), &last)
        || __builtin_add_overflow(last, pointerTable.start + width, &last)
        || last > document.Size()) {
        dump.status = Status::Error("The pointer table runs past the end of the file.");
        return dump;
    }
    if (std::abs(pointerTable.form.offsetting) > kLargestScriptNumber || pointerTable.header < 0
        || pointerTable.header > kLargestScriptNumber) {
        dump.status = Status::Error("The header and the offsetting are at most $10000000000.");
        return dump;
    }
    if (tableName.find('"') != std::string_view::npos) {
        dump.status = Status::Error("The table's file name has a quote in it, which a script "
                                    "cannot name; rename the table.");
        return dump;
    }
    std::vector<Pointer> pointers;
    std::map<std::int64_t, std::vector<const Pointer *>> byTarget;
    for (std::int64_t i = 0; i < pointerTable.count; ++i) {
        Pointer pointer{i + 1, pointerTable.start + i * pointerTable.Step(), std::nullopt};
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width));
        (void)document.ReadBlock(pointer.offset, bytes);
        pointer.target = PointerTarget(pointerTable.form,
                                       ValueOfBytes(bytes, pointerTable.bigEndian),
                                       pointerTable.header,
                                       pointerTable.Base());
        pointers.push_back(pointer);
    }
    std::string setAside;
    for (const Pointer &pointer : pointers) {
        if (pointer.target && *pointer.target < document.Size())
            byTarget[*pointer.target].push_back(&pointer);
        else
            setAside += "// " + PointerNames({&pointer}) + " points outside the file\n";
    }
    std::vector<std::pair<DumpedString, std::vector<const Pointer *>>> strings;
    for (auto &[target, its] : byTarget) {
        const char *verb = its.size() == 1 ? " points" : " point";
        if (!strings.empty() && target < strings.back().first.end) {
            setAside += "// " + PointerNames(its) + verb + " into the middle of the string at "
                        + HexOffset(strings.back().first.start) + "\n";
            continue;
        }
        auto string = ReadString(document, table, target, pointerTable.endToken);
        if (!string) {
            setAside += "// " + PointerNames(its) + verb + " to " + HexOffset(target)
                        + ", whose string runs to the end of the file without an end token\n";
            continue;
        }
        strings.emplace_back(std::move(*string), its);
    }

    // A script that is valid UTF-8 is read as UTF-8: text in another code page that happens to
    // look so is written with its bytes above 7F as codes.
    const ScriptEncoder encoder(table);
    const bool utf8 = table.GetCodePage() == kUtf8CodePage;
    for (const bool asciiOnly : {false, true}) {
        dump.script = Heading(pointerTable, tableName) + setAside;
        dump.strings = dump.pointers = dump.notExact = 0;
        for (std::size_t i = 0; i < strings.size(); ++i) {
            auto &[string, its] = strings[i];
            if (i == 0 || strings[i - 1].first.end != string.start) {
                std::size_t run = i;
                while (run + 1 < strings.size()
                       && strings[run + 1].first.start == strings[run].first.end)
                    ++run;
                dump.script += "\n#JMP(" + HexOffset(string.start) + ", "
                               + HexOffset(strings[run].first.end - 1) + ")\n";
            }
            dump.script += "// " + PointerNames(its) + (its.size() == 1 ? " points" : " point")
                           + " to " + HexOffset(string.start) + "\n";
            for (const Pointer *pointer : its)
                dump.script += "#WRITE(Ptr, " + HexOffset(pointer->offset) + ")\n";
            bool exact = false;
            dump.script += StringText(encoder, string, asciiOnly, exact);
            dump.notExact += exact ? 0 : 1;
            ++dump.strings;
            dump.pointers += static_cast<int>(its.size());
        }
        if (utf8 || !LooksLikeUtf8(dump.script))
            break;
    }
    if (utf8)
        dump.script.insert(0, "\xEF\xBB\xBF");
    dump.setAside = static_cast<int>(pointerTable.count) - dump.pointers;
    return dump;
}

} // namespace byteloom
