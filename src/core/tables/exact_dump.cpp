#include "tables/exact_dump.h"

#include <algorithm>
#include <cstdio>

namespace byteloom {

namespace {

// Appends the text an insert reads from stored text: a line break (CR CR LF as the dump stores
// it, CR LF, a lone CR or LF) is one "*".
void AppendReadBack(std::string_view stored, std::string &text)
{
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] != '\r' && stored[i] != '\n') {
            text.push_back(stored[i]);
            continue;
        }
        if (stored.compare(i, 3, "\r\r\n") == 0)
            i += 2;
        else if (stored.compare(i, 2, "\r\n") == 0)
            ++i;
        text.push_back('*');
    }
}

std::string Codes(std::span<const std::uint8_t> bytes)
{
    std::string codes;
    for (const std::uint8_t byte : bytes) {
        char code[8];
        std::snprintf(code, sizeof code, "<%x>", byte);
        codes += code;
    }
    return codes;
}

// Stored text an insert cannot read as it stands: it stops at a NUL and at a byte 1A.
bool Unreadable(std::string_view stored)
{
    return stored.empty() || stored.find('\0') != std::string_view::npos
           || stored.find('\x1A') != std::string_view::npos;
}

} // namespace

char *WriteOffsetHeader(char *out, std::int64_t offset, std::string_view opening)
{
    const auto value = static_cast<std::uint64_t>(offset);
    int digits = 8;
    while (digits < 16 && (value >> (4 * digits)) != 0)
        ++digits;
    out = std::copy(opening.begin(), opening.end(), out);
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        *out++ = "0123456789abcdef"[(value >> shift) & 0xF];
    return std::copy_n(">\r\r\n", 4, out);
}

std::string StoredOffsetHeader(std::int64_t offset, std::string_view opening)
{
    char text[32];
    return {text, WriteOffsetHeader(text, offset, opening)};
}

// What makes a key's text read only one way wherever it stands, for one subtable.
struct ExactDump::Alone
{
    explicit Alone(const Subtable &subtable)
    {
        for (const TableEntry &entry : subtable.Entries()) {
            const std::string_view text = entry.text;
            if (!entry.label.empty()) {
                labelStarts[static_cast<unsigned char>(entry.label[0])] = true;
                labels.push_back(entry.label);
            }
            openingInside = openingInside || text.find('<', 1) != std::string_view::npos
                            || entry.label.find('<', 1) != std::string::npos;
            starEntry = starEntry || text == "*";
        }
    }
    std::array<bool, 256> labelStarts{};
    std::vector<std::string_view> labels;
    bool starEntry = false;
    bool openingInside = false; // a text or label has "<" after its first character
};

const ExactDump::Alone &ExactDump::AloneOf(const Subtable &subtable)
{
    if (&subtable == lastSubtable_)
        return *lastAlone_;
    auto &alone = alone_[&subtable];
    if (!alone)
        alone = std::make_unique<Alone>(subtable);
    lastSubtable_ = &subtable;
    lastAlone_ = alone.get();
    return *alone;
}

ExactDump::ExactDump(const TableFile &table,
                     bool codes,
                     Writer write,
                     std::function<char()> lastWritten)
    : table_(table)
    , codes_(codes)
    , write_(std::move(write))
    , lastWritten_(std::move(lastWritten))
    , reader_(table, codes)
{}

ExactDump::~ExactDump() = default;

bool ExactDump::WritesAlone(const Subtable &subtable, const DecodedEntry &decoded)
{
    const Alone *alone = &AloneOf(subtable);
    const TableEntry &entry = *decoded.entry;
    const auto sameKey = [&](std::string_view text) {
        const TableEntry *found = subtable.FindByText(text);
        return found && found->key == entry.key;
    };
    if (decoded.IsFallback())
        return codes_ && !alone->labelStarts['<'];
    // A label, what goes with a linked entry, or a switching entry (whose reading runs on into
    // what follows it) is read back only where it stands.
    if (!entry.label.empty() || decoded.Compound() || entry.switchTo >= 0)
        return false;
    if (entry.text == kNewlineMarker || entry.text == kEndStringMarker) {
        if (alone->starEntry || alone->labelStarts['*'])
            return false;
        // A Clean dump's runs of line breaks are read by their length: both keys interact.
        if (!codes_ && subtable.FindByText(kNewlineMarker) && subtable.FindByText(kEndStringMarker))
            return false;
        return sameKey(entry.text);
    }
    const std::string_view text = entry.text;
    if (text.empty() || text[0] == '*' || (codes_ && text[0] == '<')
        || alone->labelStarts[static_cast<unsigned char>(text[0])]
        || text.find_first_of(std::string_view("\r\0\x1A", 3)) != std::string_view::npos)
        return false;
    return !subtable.BeginsLongerText(text) && sameKey(text);
}

void ExactDump::Key(std::string_view stored,
                    std::span<const std::uint8_t> bytes,
                    std::int64_t offset,
                    bool alone,
                    bool thenHeader)
{
    const bool unreadable = Unreadable(stored);
    if (alone && !unreadable && !Pending()) {
        write_(stored);
        if (thenHeader && codes_)
            write_(StoredOffsetHeader(offset + static_cast<std::int64_t>(bytes.size())));
        return;
    }
    Token token;
    token.stored = std::string(stored);
    token.count = static_cast<std::uint8_t>(
        std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(kMaxEntryBytes)));
    std::copy_n(bytes.begin(), token.count, token.bytes.begin());
    token.offset = offset;
    token.thenHeader = thenHeader && codes_ && !unreadable;
    token.alone = alone && !unreadable;
    const bool header = token.thenHeader;
    Push(std::move(token));
    if (codes_ && unreadable)
        ToCodes(tokens_.size() - 1); // a code a byte
    if (!codes_)
        write_(stored); // a Clean dump is written as it is; its keys are only counted
    if (header)
        Header(offset + static_cast<std::int64_t>(bytes.size()));
    Check(false);
    Emit(false);
}

void ExactDump::Header(std::int64_t offset)
{
    if (!Pending()) {
        write_(StoredOffsetHeader(offset));
        return;
    }
    Token header;
    header.stored = StoredOffsetHeader(offset);
    header.offset = offset;
    header.kind = Kind::Header;
    Push(std::move(header));
}

void ExactDump::Finish(std::int64_t end)
{
    if (codes_) {
        const std::string mark = "\r\r\n" + StoredOffsetHeader(end, kEndMarkOpening);
        if (Pending()) {
            Token token;
            token.stored = mark;
            token.offset = end;
            token.kind = Kind::End;
            Push(std::move(token));
        } else {
            write_(mark);
        }
    }
    Check(true);
    Emit(true);
}

void ExactDump::Push(Token token)
{
    if (!Pending()) {
        // What came before: at the start of the dump, the start of a line.
        const char before = lastWritten_();
        tokens_.clear();
        head_ = checked_ = 0;
        text_.assign(1, before == '\0' || before == '\r' || before == '\n' ? '*' : before);
    }
    token.start = text_.size();
    AppendReadBack(token.stored, text_);
    token.length = text_.size() - token.start;
    tokens_.push_back(std::move(token));
}

std::size_t ExactDump::Reach(std::size_t pos)
{
    std::size_t from = pos;
    if (text_[pos] == '*') {
        // A run of line breaks is read whole, with what follows it.
        from = text_.find_first_not_of('*', pos);
        if (from == std::string::npos)
            return std::string::npos;
    }
    const std::int64_t offset = tokens_[checked_].offset;
    const std::size_t ahead = reader_.SyntaxLookAhead(text_, pos);
    // Entry texts: as far as what stands there begins one; an entry longer than that cannot
    // match, whatever follows.
    const Subtable &subtable = table_.SubtableAt(offset);
    const std::size_t longest = subtable.LongestTextFrom(text_[pos]);
    std::size_t n = 1;
    while (n < longest && subtable.BeginsLongerText(std::string_view(text_).substr(pos, n))) {
        if (pos + n >= text_.size())
            return std::string::npos; // what follows decides
        ++n;
    }
    // A switching entry read here may run on through the entries after it, as many as one
    // entry's bytes hold.
    const std::size_t switching
        = table_.HasSwitchingEntries()
              ? static_cast<std::size_t>(kMaxEntryBytes)
                    * static_cast<std::size_t>(std::max(table_.GetMaxTextLen(), 1))
              : 0;
    return from + std::max(ahead, n) + switching;
}

void ExactDump::Check(bool final)
{
    while (checked_ < tokens_.size()) {
        const Token &token = tokens_[checked_];
        if (token.alone && token.kind == Kind::Key && !token.thenHeader) {
            ++checked_; // it reads as itself, whatever follows it
            continue;
        }
        const std::size_t pos = token.start;
        const std::size_t reach = Reach(pos);
        if (!final && (reach == std::string::npos || reach > text_.size()))
            return;
        scratch_.clear();
        const ScriptReader::Piece piece = reader_.Read(text_, pos, token.offset, scratch_);
        std::size_t covered = 0;
        // What the reading skips is not given back either.
        std::size_t bad = reader_.Skipped().empty() ? Mismatch(checked_, piece, covered) : checked_;
        if (bad == std::string::npos && codes_ && token.kind == Kind::Key
            && !HoldsWhateverFollows(checked_, checked_ + covered, reach))
            bad = checked_;
        if (bad == std::string::npos) {
            checked_ += covered;
            continue;
        }
        // The nearest key at or before where they part is written as codes instead, and the
        // piece is read again.
        std::size_t convert = std::string::npos;
        for (std::size_t j = bad + 1; codes_ && j-- > checked_;) {
            if (tokens_[j].kind == Kind::Key) {
                convert = j;
                break;
            }
        }
        if (convert != std::string::npos) {
            ToCodes(convert);
            continue;
        }
        ++notExact_;
        std::size_t next = checked_ + 1;
        while (next < tokens_.size() && tokens_[next].start < piece.next)
            ++next;
        checked_ = next;
    }
}

// Whether the piece that read the tokens [first, end) still reads them if any key after them
// that reading looked at were written as codes: that is, no entry text and no label begins with
// what stands from the piece's start up to that key followed by "<". A key once checked is then
// never read otherwise, however the keys after it are written.
bool ExactDump::HoldsWhateverFollows(std::size_t first, std::size_t end, std::size_t reach)
{
    const Subtable &subtable = table_.SubtableAt(tokens_[first].offset);
    // A switching entry's reading runs on through its table: a key after it written as codes
    // would be read there when a text of that table begins with "<".
    const Token &head = tokens_[first];
    if (head.kind == Kind::Key && table_.HasSwitchingEntries()) {
        const DecodedEntry decoded
            = DecodeBytes(table_, subtable, std::span(head.bytes).first(head.count));
        if (!decoded.IsFallback() && decoded.entry->switchTo >= 0
            && table_.GetSubtable(decoded.entry->switchTo).LongestTextFrom('<') > 0) {
            for (std::size_t k = end; k < tokens_.size() && tokens_[k].start < reach; ++k)
                if (tokens_[k].kind == Kind::Key)
                    return false;
        }
    }
    const Alone &alone = AloneOf(subtable);
    if (!alone.openingInside)
        return true; // nothing reads across into a code
    const std::size_t pos = tokens_[first].start;
    for (std::size_t k = end; k < tokens_.size() && tokens_[k].start < reach; ++k) {
        if (tokens_[k].kind != Kind::Key)
            continue;
        const std::string before = text_.substr(pos, tokens_[k].start - pos) + '<';
        if (subtable.BeginsLongerText(before) || subtable.FindByText(before))
            return false;
        for (const std::string_view label : alone.labels) {
            if (label.starts_with(before))
                return false;
        }
    }
    return true;
}

std::size_t
ExactDump::Mismatch(std::size_t first, const ScriptReader::Piece &piece, std::size_t &covered) const
{
    using PieceKind = ScriptReader::Piece::Kind;
    const Token &token = tokens_[first];
    if (piece.kind != PieceKind::Keys) {
        const Kind wanted = piece.kind == PieceKind::Header ? Kind::Header : Kind::End;
        if (token.kind != wanted || token.offset != piece.offset
            || token.start + token.length != piece.next)
            return first;
        covered = 1;
        return std::string::npos;
    }
    std::size_t read = 0;
    std::size_t j = first;
    for (; j < tokens_.size() && tokens_[j].start < piece.next; ++j) {
        const Token &key = tokens_[j];
        if (key.kind == Kind::Header || key.kind == Kind::End || key.start + key.length > piece.next
            || read + key.count > scratch_.size()
            || !std::equal(key.bytes.begin(),
                           key.bytes.begin() + key.count,
                           scratch_.begin() + static_cast<std::ptrdiff_t>(read)))
            return j;
        read += key.count;
    }
    if (read != scratch_.size())
        return j - 1;
    covered = j - first;
    return std::string::npos;
}

void ExactDump::ToCodes(std::size_t index)
{
    // One code a byte, each read as a piece of its own.
    Token token = std::move(tokens_[index]);
    std::vector<Token> codes;
    std::size_t start = token.start;
    for (std::uint8_t i = 0; i < token.count; ++i) {
        Token &code = codes.emplace_back();
        code.stored = Codes(std::span(token.bytes).subspan(i, 1));
        code.start = start;
        code.length = code.stored.size();
        code.bytes[0] = token.bytes[i];
        code.count = 1;
        code.offset = token.offset + i;
        code.kind = Kind::Code;
        start += code.length;
    }
    std::size_t replaced = 1;
    std::size_t removed = token.length;
    // A string end written as codes is no longer followed by its line breaks and header.
    if (token.thenHeader && index + 1 < tokens_.size() && tokens_[index + 1].kind == Kind::Header) {
        removed += tokens_[index + 1].length;
        ++replaced;
    }
    std::string text; // codes read back as they are written
    for (const Token &code : codes)
        text += code.stored;
    text_.replace(token.start, removed, text);
    const auto at = tokens_.begin() + static_cast<std::ptrdiff_t>(index);
    tokens_.erase(at, at + static_cast<std::ptrdiff_t>(replaced));
    tokens_.insert(tokens_.begin() + static_cast<std::ptrdiff_t>(index),
                   std::make_move_iterator(codes.begin()),
                   std::make_move_iterator(codes.end()));
    for (std::size_t j = index + codes.size(); j < tokens_.size(); ++j) {
        tokens_[j].start = start;
        start += tokens_[j].length;
    }
}

void ExactDump::Emit(bool final)
{
    // A key checked is never read otherwise: it is written at once.
    const std::size_t until = final ? tokens_.size() : checked_;
    for (; head_ < until; ++head_) {
        if (codes_)
            write_(tokens_[head_].stored);
    }
    if (head_ == tokens_.size() || head_ < 1024 || head_ * 2 < tokens_.size())
        return;
    // Forget what was written, keeping the character before what waits.
    const std::size_t shift = tokens_[head_].start - 1;
    text_.erase(0, shift);
    tokens_.erase(tokens_.begin(), tokens_.begin() + static_cast<std::ptrdiff_t>(head_));
    for (Token &token : tokens_)
        token.start -= shift;
    checked_ -= head_;
    head_ = 0;
}

} // namespace byteloom
