#pragma once

#include "tables/script_reader.h"
#include "tables/table_codec.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace byteloom {

// Writes the offset header "<%08x>" (after opening, "<" or the end mark's) and its line break
// as stored, at least eight lowercase digits; returns the end. out needs room for 26 bytes.
char *WriteOffsetHeader(char *out, std::int64_t offset, std::string_view opening = "<");
[[nodiscard]] std::string StoredOffsetHeader(std::int64_t offset, std::string_view opening = "<");

// Keeps a dump exact: what it writes, read back by an insert through the same table, gives back
// the bytes it came from. Each decoded key is offered with the text the dump would write for it;
// the text is read back with ScriptReader, the insert's own reader, and where it would not give
// back the key's bytes (a longer entry matches across it, another key wins for its text, it
// spells a header, its text is empty) the key is written as its "<xx>" codes instead. A key whose
// text can be read only one way wherever it stands is written at once; the others wait until
// enough of what follows them is known. A Clean dump is never changed: the keys it would not
// give back are only counted.
class ExactDump
{
public:
    using Writer = std::function<void(std::string_view stored)>;
    // write takes the dump's text as stored; lastWritten is the last character written so far
    // (or 0), which a key read at the start of a line needs to know.
    ExactDump(const TableFile &table, bool codes, Writer write, std::function<char()> lastWritten);
    ~ExactDump();

    // Whether the key can be written as its text without looking at what stands around it.
    [[nodiscard]] bool WritesAlone(const Subtable &subtable, const DecodedEntry &decoded);

    // Whether keys wait to be checked: then every key must be offered through Key.
    [[nodiscard]] bool Pending() const { return head_ < tokens_.size(); }

    // A key at offset with its bytes and the text the dump writes for it; thenHeader when an
    // offset header follows it (an end-string key in a dump with codes). alone is WritesAlone's
    // answer for it.
    void Key(std::string_view stored,
             std::span<const std::uint8_t> bytes,
             std::int64_t offset,
             bool alone,
             bool thenHeader);
    // The offset header a dump with codes begins with.
    void Header(std::int64_t offset);
    // The end of the dump: with codes, the end mark of the offset after the last key; then every
    // key still waiting is checked and written.
    void Finish(std::int64_t end);

    // Keys whose text will not give back their bytes (Clean), or that no form can (with codes).
    [[nodiscard]] std::int64_t NotExact() const { return notExact_; }

private:
    enum class Kind { Key, Code, Header, End };
    struct Token
    {
        std::string stored;
        std::size_t start = 0;  // of its text (line breaks as "*") in text_
        std::size_t length = 0; // of that text
        std::array<std::uint8_t, kMaxEntryBytes> bytes{}; // a key and a linked entry's parameters
        std::uint8_t count = 0;
        std::int64_t offset = 0;
        Kind kind = Kind::Key;
        bool thenHeader = false;
        bool alone = false; // its text reads back as itself whatever follows it
    };
    struct Alone;

    void Push(Token token);
    void Check(bool final);
    [[nodiscard]] bool HoldsWhateverFollows(std::size_t first, std::size_t end, std::size_t reach);
    const Alone &AloneOf(const Subtable &subtable);
    // The token where the piece read at tokens_[first] parts from the tokens, or npos when it
    // reads them exactly; covered gets the number of tokens it read.
    std::size_t
    Mismatch(std::size_t first, const ScriptReader::Piece &piece, std::size_t &covered) const;
    void ToCodes(std::size_t index);
    void Emit(bool final);
    // The end of what reading the piece at pos (of tokens_[checked_]) may look at; npos while
    // a run of line breaks reaches the end of what is known.
    [[nodiscard]] std::size_t Reach(std::size_t pos);
    [[nodiscard]] std::size_t CheckedUpTo() const
    {
        return checked_ < tokens_.size() ? tokens_[checked_].start : text_.size();
    }

    const TableFile &table_;
    bool codes_;
    Writer write_;
    std::function<char()> lastWritten_;
    ScriptReader reader_;
    std::unordered_map<const Subtable *, std::unique_ptr<Alone>> alone_;
    const Subtable *lastSubtable_ = nullptr;
    const Alone *lastAlone_ = nullptr;

    // The keys not yet written out (with codes) or not yet checked (Clean), from head_; those
    // before checked_ are checked. text_ holds their texts after one character of what came
    // before them.
    std::vector<Token> tokens_;
    std::size_t head_ = 0;
    std::size_t checked_ = 0;
    std::string text_;
    std::vector<std::uint8_t> scratch_;
    std::int64_t notExact_ = 0;
};

} // namespace byteloom
