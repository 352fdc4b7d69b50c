#pragma once

#include "tables/table_codec.h"
#include "tables/table_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace byteloom {

// The last line of a dump with headers: "<end:%08x>", the offset after the last byte dumped.
// An insert writes nothing at or past it, so a string that grew cannot run over what follows
// the dumped range.
inline constexpr std::string_view kEndMarkOpening = "<end:";

struct OffsetHeader
{
    std::int64_t offset = 0;
    std::size_t length = 0; // with its line break, when one follows
};

// The offset header at pos of script text (line breaks as "*"), when one stands there followed
// by its line break or the end of the text: "<" eight hex digits ">", or more digits (up to 16)
// naming an offset past 4 GiB, as a dump of a larger document writes them.
[[nodiscard]] std::optional<OffsetHeader> HeaderAt(std::string_view text, std::size_t pos);
// The end mark "<end:%08x>" at pos, followed by its line break or the end of the text.
[[nodiscard]] std::optional<OffsetHeader> EndMarkAt(std::string_view text, std::size_t pos);

// How an insert reads script text whose line breaks have become "*", one piece at a time. The
// dump reads what it writes the same way, so that what it writes is what an insert reads.
class ScriptReader
{
public:
    // With headers, the script is a dump with offset headers: headers and the end mark start
    // lines, and "<x>" or "<xx>" is the raw byte it names. With shortest, text is encoded with
    // the fewest bytes instead of the longest entry first (see ShortestAt).
    ScriptReader(const TableFile &table, bool headers, bool shortest = false);

    struct Piece
    {
        enum class Kind { Keys, Header, End } kind = Kind::Keys;
        std::size_t next = 0;    // where the next piece starts
        std::int64_t offset = 0; // the offset a Header or the End names
    };

    // Reads the piece at pos (pos < text.size()); its keys, each encoded through the subtable
    // for the offset it is written to, from offset on, are appended to bytes. What no entry
    // encodes is skipped and listed in Skipped(), as (position, length) pairs.
    Piece Read(std::string_view text,
               std::size_t pos,
               std::int64_t offset,
               std::vector<std::uint8_t> &bytes);
    [[nodiscard]] const std::vector<std::pair<std::size_t, std::size_t>> &Skipped() const
    {
        return skipped_;
    }

    // How many characters from pos reading the piece there may look at for its syntax (headers,
    // the end mark, byte codes, labels; a run of "*" is read whole, and then this many past its
    // end), entry texts aside: what stands further on cannot change how the syntax reads.
    [[nodiscard]] std::size_t SyntaxLookAhead(std::string_view text, std::size_t pos) const;

private:
    const Subtable &SubtableFor(std::int64_t at) const { return table_.SubtableAt(at); }
    // Whether reading at pos would take anything but text: a line break, a label or a byte code.
    [[nodiscard]] bool SyntaxAt(std::string_view text, std::size_t pos) const;
    // The entry the fewest bytes for the run of text from pos (up to the next line break, label
    // or byte code) begin with, found for the whole run at once and kept for the calls that
    // follow. Fewer skipped characters come first, then fewer bytes, then the longest entry, so
    // that where the longest-first encoding is among the shortest it is the one chosen. A table
    // with subtables is read longest first, as the subtable depends on where each key lands; so
    // is one with linked or switching entries (whose texts must not be spelled otherwise) or an
    // entry text holding "*" (which longest first may read across a line break).
    EncodedEntry ShortestAt(std::string_view text, std::size_t pos);
    std::size_t LabelledMarker(std::string_view text,
                               std::size_t pos,
                               std::int64_t at,
                               std::vector<std::uint8_t> &bytes);
    std::size_t Stars(std::string_view text,
                      std::size_t pos,
                      std::int64_t offset,
                      std::vector<std::uint8_t> &bytes);

    const TableFile &table_;
    bool headers_;
    bool shortest_;
    // The run ShortestAt last encoded: its text, where it starts, and the entry chosen at each
    // of its positions.
    const char *runText_ = nullptr;
    std::size_t runStart_ = 0;
    std::vector<EncodedEntry> runChoice_;
    std::size_t longestLabel_ = 0;
    std::array<bool, 256> labelStarts_{};
    // The keys that carry a label, longest label first, for each subtable.
    std::vector<std::vector<const TableEntry *>> labelled_;
    std::vector<std::pair<std::size_t, std::size_t>> skipped_;
};

} // namespace byteloom
