// The text of a command script run: blocks, strings and their forms, and the files written.
#include "common/path_text.h"
#include "scripts/script_run.h"

#include "document/safe_file_writer.h"
#include "platform/binary_file.h"
#include "tables/text_file.h"

#include <algorithm>

namespace byteloom {

namespace {

bool IsAscii(std::string_view text)
{
    return std::all_of(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A run's text in the table's code page, with the start of each line in it; nothing, with the
// first line that does not convert, when a character has no place in the code page.
struct Converted
{
    std::string text;
    std::vector<std::pair<std::size_t, int>> lineStarts;
    int failedLine = 0;
};

Converted InCodePage(const ScriptStep &step, int codePage)
{
    Converted converted;
    for (std::size_t i = 0; i < step.lineStarts.size(); ++i) {
        const auto [start, number] = step.lineStarts[i];
        const std::size_t end
            = i + 1 < step.lineStarts.size() ? step.lineStarts[i + 1].first : step.text.size();
        const std::string_view line = std::string_view(step.text).substr(start, end - start);
        converted.lineStarts.emplace_back(converted.text.size(), number);
        if (IsAscii(line)) {
            converted.text += line;
        } else if (const auto text = Utf8ToCodePage(line, codePage)) {
            converted.text += *text;
        } else if (converted.failedLine == 0) {
            converted.failedLine = number;
        }
    }
    return converted;
}

// A character for a message: control and non-ASCII bytes as the script would write them raw.
std::string Shown(std::string_view character)
{
    std::string shown;
    for (const char c : character) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x80) {
            shown.push_back(c);
            continue;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "<$%02X>", byte);
        shown += hex;
    }
    return shown;
}

} // namespace

bool ScriptRun::HasPosition(std::string_view what)
{
    if (block_)
        return true;
    Error(std::string(what) + " comes before the first #JMP, so it has no place to go");
    return false;
}

void ScriptRun::Text(const ScriptStep &step)
{
    if (!HasPosition("Text"))
        return;
    if (!active_)
        return Error("There is no active table to encode text with (#ACTIVETBL)");
    const TableFile &table = active_->encoder->Table();
    ScriptStep converted;
    const ScriptStep *run = &step;
    if (utf8_ && !IsAscii(step.text)) {
        Converted inCodePage = InCodePage(step, table.GetCodePage());
        if (inCodePage.failedLine != 0) {
            line_ = inCodePage.failedLine;
            return Error("The line has a character that code page "
                         + std::to_string(table.GetCodePage()) + " of the table cannot hold");
        }
        converted.line = step.line;
        converted.text = std::move(inCodePage.text);
        converted.lineStarts = std::move(inCodePage.lineStarts);
        run = &converted;
    }
    const std::string_view text = run->text;
    for (std::size_t at = 0; at < text.size();) {
        const TextPiece piece = active_->encoder->Next(text, at, position_);
        const bool end = piece.kind == TextPiece::Kind::End;
        if (!inString_ || end || piece.kind == TextPiece::Kind::Unknown)
            line_ = run->LineAt(at);
        if (piece.kind == TextPiece::Kind::Unknown) {
            Error("No entry of the table " + table.GetTitle() + " encodes \""
                  + Shown(text.substr(at, piece.length)) + "\"");
        } else {
            OpenString();
            if (!end || stringPascalLength_ == 0) // a length stands in for the end token
                WriteText(piece.Bytes());
            if (end)
                CloseString(piece.endToken);
        }
        at += piece.length;
    }
}

void ScriptRun::StringCommand(const ScriptStep &step)
{
    const auto &args = step.arguments;
    const std::string &name = step.name;
    if (name == "STRTYPE") {
        if (args[0].text != "ENDTERM" && args[0].text != "PASCAL")
            return Error("A string type is \"ENDTERM\" or \"PASCAL\", not \"" + args[0].text
                         + "\"");
        pascal_ = args[0].text == "PASCAL";
    } else if (name == "PASCALLEN") {
        if (args[0].number < 1 || args[0].number > 4)
            return Error("A length prefix is 1 to 4 bytes");
        pascalLength_ = static_cast<int>(args[0].number);
    } else if (name == "FIXEDLENGTH") {
        if (args[0].number < 0 || args[0].number > 0xFFFF || args[1].number < 0
            || args[1].number > 0xFF)
            return Error("#FIXEDLENGTH takes a length of 0 to 65535 and a fill byte ($00-$FF)");
        fixedLength_ = args[0].number;
        fixedFill_ = static_cast<std::uint8_t>(args[1].number);
    } else if (name == "STRINGALIGN") {
        if (args[0].number < 0)
            return Error("An alignment cannot be negative");
        align_ = args[0].number;
        if (!inString_ && block_)
            Align();
    } else if (name == "FILL") {
        if (args[0].number < 0 || args[0].number > 0xFF)
            return Error("A fill byte is $00-$FF");
        fill_ = static_cast<std::uint8_t>(args[0].number);
    } else if (name == "ENDIANSWAP") {
        if (args[0].text != "TRUE" && args[0].text != "FALSE")
            return Error("#ENDIANSWAP takes \"TRUE\" or \"FALSE\"");
        bigEndian_ = args[0].text == "TRUE";
    }
}

void ScriptRun::FileCommand(const ScriptStep &step)
{
    const int target = TargetOf(step.arguments[0].text);
    if (step.name == "SETPTRFILE") {
        pointerTarget_ = target;
        return;
    }
    CloseBlock();
    block_.reset();
    textTarget_ = target;
}

void ScriptRun::InsertBinary(const ScriptStep &step)
{
    const auto &args = step.arguments;
    if (!HasPosition("#INSERTBINARY"))
        return;
    const std::string *bytes = FileBytes(args[0].text);
    if (!bytes)
        return;
    const auto size = static_cast<std::int64_t>(bytes->size());
    const std::int64_t start = args[1].number;
    const std::int64_t count = args[2].number == 0 ? size - start : args[2].number;
    if (start < 0 || count < 0 || start > size || count > size - start)
        return Error("The file " + args[0].text + " has " + std::to_string(size)
                     + " bytes; it has no " + std::to_string(args[2].number) + " bytes from "
                     + std::to_string(start));
    OpenString();
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes->data());
    WriteText(std::span(data + start, static_cast<std::size_t>(count)));
}

void ScriptRun::Align()
{
    if (align_ > 1 && position_ % align_ != 0)
        position_ += align_ - position_ % align_;
}

void ScriptRun::OpenString()
{
    if (inString_)
        return;
    Align();
    inString_ = true;
    stringLine_ = line_;
    stringStart_ = position_;
    stringBytes_ = stringKept_ = stringLost_ = 0;
    // The length goes before the string when it ends, in the form in force now.
    stringPascalLength_ = pascal_ ? pascalLength_ : 0;
    position_ += stringPascalLength_;
    textEnd_ = position_;
}

std::int64_t ScriptRun::FixedRoom(std::int64_t count)
{
    if (fixedLength_ <= 0)
        return count;
    const std::int64_t kept = std::clamp<std::int64_t>(fixedLength_ - stringBytes_, 0, count);
    stringLost_ += count - kept;
    return kept;
}

std::int64_t ScriptRun::WriteText(std::span<const std::uint8_t> bytes)
{
    const auto count = FixedRoom(static_cast<std::int64_t>(bytes.size()));
    return StringOut(count, TextOut(bytes.first(static_cast<std::size_t>(count))));
}

std::int64_t ScriptRun::WriteFill(std::int64_t count, std::uint8_t fill)
{
    count = FixedRoom(count);
    return StringOut(count, TextFill(count, fill));
}

std::int64_t ScriptRun::StringOut(std::int64_t count, std::int64_t kept)
{
    stringBytes_ += count;
    stringKept_ += kept;
    stringLost_ += count - kept;
    return count;
}

void ScriptRun::CloseString(std::string_view endToken)
{
    if (!inString_)
        return;
    if (fixedLength_ > stringBytes_)
        WriteFill(fixedLength_ - stringBytes_, fixedFill_);
    BlockReport &block = plan_.report.blocks[*block_];
    if (stringPascalLength_ > 0) {
        // The length of what was written, so that the game reads no byte that is not there.
        if (stringPascalLength_ < 4
            && stringKept_ >= (std::int64_t{1} << (8 * stringPascalLength_)))
            ErrorAt(stringLine_,
                    "The string is " + std::to_string(stringKept_) + " bytes long, more than a "
                        + std::to_string(stringPascalLength_) + "-byte length can hold");
        const auto length
            = ValueBytes(static_cast<std::uint32_t>(stringKept_), stringPascalLength_, bigEndian_);
        const std::int64_t kept = Put({textTarget_, stringStart_, block.max}, length);
        block.written += kept;
        block.lost += stringPascalLength_ - kept;
        stringLost_ += stringPascalLength_ - kept;
    }
    inString_ = false;
    if (stringLost_ > 0)
        plan_.report.cut.push_back({scriptName_,
                                    stringLine_,
                                    block.name.empty() ? HexOffset(block.start) : block.name,
                                    stringStart_,
                                    stringLost_});
    if (!endToken.empty()) {
        const auto automatic = autoWrites_.find(endToken);
        if (automatic != autoWrites_.end())
            WriteSlot(*variables_.at(automatic->second), std::nullopt, stringStart_);
    }
    Align();
}

std::int64_t ScriptRun::Reserve(std::int64_t count)
{
    if (inString_)
        return WriteFill(count, 0);
    TextFill(count, 0);
    return count;
}

std::int64_t ScriptRun::TextOut(std::span<const std::uint8_t> bytes)
{
    const auto count = static_cast<std::int64_t>(bytes.size());
    return Advance(count, Put({textTarget_, position_, plan_.report.blocks[*block_].max}, bytes));
}

std::int64_t ScriptRun::TextFill(std::int64_t count, std::uint8_t fill)
{
    return Advance(
        count, PutFill({textTarget_, position_, plan_.report.blocks[*block_].max}, count, fill));
}

std::int64_t ScriptRun::Advance(std::int64_t count, std::int64_t kept)
{
    BlockReport &block = plan_.report.blocks[*block_];
    block.written += kept;
    block.lost += count - kept;
    position_ += count;
    textEnd_ = position_;
    return kept;
}

void ScriptRun::CloseBlock()
{
    if (!block_)
        return;
    CloseString({});
    BlockReport &block = plan_.report.blocks[*block_];
    // The rest after the text, the gap an alignment left after the last string included.
    block.end = textEnd_;
    if (fill_ && block.max && textEnd_ <= *block.max)
        PutFill({textTarget_, textEnd_, block.max}, *block.max - textEnd_ + 1, *fill_);
    block_.reset();
}

// How many of count bytes at place are written: none past its limit, none past the open file's
// end (it keeps its size); a file the script writes may grow, but not past the largest size.
std::int64_t ScriptRun::Room(const Place &place, std::int64_t count)
{
    if (place.offset < 0) {
        Error("A write at the negative offset " + HexOffset(place.offset));
        return 0;
    }
    if (place.limit && *place.limit - place.offset < count)
        count = std::max<std::int64_t>(*place.limit - place.offset + 1, 0);
    if (place.target == 0)
        return std::clamp<std::int64_t>(file_.size - place.offset, 0, count);
    if (count > 0 && place.offset > kLargestWrittenFile - count) {
        Error("This would make "
              + TextOfPath(plan_.targets[static_cast<std::size_t>(place.target)].filename())
              + " larger than 2 GiB");
        return 0;
    }
    return count;
}

std::int64_t ScriptRun::Put(const Place &place, std::span<const std::uint8_t> bytes)
{
    const std::int64_t count = Room(place, static_cast<std::int64_t>(bytes.size()));
    if (count <= 0)
        return 0;
    plan_.writes.push_back(
        {place.target, place.offset, plan_.bytes.size(), static_cast<std::size_t>(count)});
    plan_.bytes.insert(plan_.bytes.end(), bytes.begin(), bytes.begin() + count);
    return count;
}

std::int64_t ScriptRun::PutFill(const Place &place, std::int64_t count, std::uint8_t fill)
{
    count = Room(place, count);
    if (count <= 0)
        return 0;
    plan_.writes.push_back({place.target, place.offset, 0, static_cast<std::size_t>(count), fill});
    return count;
}

int ScriptRun::TargetOf(const std::string &name)
{
    const std::filesystem::path path = Beside(name);
    if (path == file_.path.lexically_normal() || SameFile(files_, path, file_.path))
        return 0;
    const auto known = std::find(plan_.targets.begin() + 1, plan_.targets.end(), path);
    if (known != plan_.targets.end())
        return static_cast<int>(known - plan_.targets.begin());
    plan_.targets.push_back(path);
    return static_cast<int>(plan_.targets.size() - 1);
}

const std::string *ScriptRun::FileBytes(const std::string &name)
{
    const std::filesystem::path path = Beside(name);
    auto known = fileBytes_.find(path);
    if (known == fileBytes_.end()) {
        TextFileResult file = ReadBinaryFile(path, files_);
        if (!file.status.ok()) {
            Error("The file " + name + " cannot be read: " + file.status.message());
            return nullptr;
        }
        known = fileBytes_.emplace(path, std::move(file.text)).first;
    }
    return &known->second;
}

} // namespace byteloom
