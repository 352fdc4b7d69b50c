#pragma once

#include "common/progress.h"
#include "common/status.h"

#include <cstdint>
#include <string>
#include <vector>

namespace byteloom {

class Document;
class UndoJournal;

// One checksum a cartridge header stores: where, how wide, and the value the image gives.
struct HeaderChecksum
{
    std::string name;        // "checksum", "complement", "header checksum", "global checksum"
    std::int64_t offset = 0; // of its first byte
    int width = 2;           // bytes
    bool bigEndian = false;
    std::uint32_t stored = 0;
    std::uint32_t computed = 0;

    [[nodiscard]] bool Right() const { return stored == computed; }
};

struct HeaderCheck
{
    Status status = Status::Ok(); // a read failure or Cancelled
    std::string system;           // "SNES LoROM", "Game Boy", …; empty when not recognised
    std::string title;
    std::vector<HeaderChecksum> checksums;

    [[nodiscard]] bool Recognised() const { return !system.empty(); }
    [[nodiscard]] bool Right() const;
};

// Recognises a SNES LoROM, HiROM or ExHiROM internal header (behind a 512-byte copier header
// or not), a Game Boy, a Mega Drive or a Game Boy Advance header by the marks each system
// requires, never by guessing, and computes what its checksums should hold.
[[nodiscard]] HeaderCheck CheckHeader(Document &document, const ProgressCallback &progress = {});

// Writes the computed values over the stored ones as one undo record.
[[nodiscard]] Status FixHeader(Document &document, UndoJournal &journal, const HeaderCheck &check);

// What a check found, a line for the system and title and one for each checksum.
[[nodiscard]] std::string HeaderReport(const HeaderCheck &check);

} // namespace byteloom
