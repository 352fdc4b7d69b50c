#include "inspect/rom_header.h"

#include "document/document.h"
#include "document/undo_journal.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace byteloom {

namespace {

// The first 16 bytes of the logo every Game Boy cartridge carries at 0x104.
constexpr std::array<std::uint8_t, 16> kGameBoyLogo{
    0xCE, 0xED, 0x66, 0x66, 0xCC, 0x0D, 0x00, 0x0B, 0x03, 0x73, 0x00, 0x83, 0x00, 0x0C, 0x00, 0x0D};

std::vector<std::uint8_t> Read(Document &document, std::int64_t offset, std::int64_t count)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
    bytes.resize(static_cast<std::size_t>(document.ReadBlock(offset, bytes)));
    return bytes;
}

std::uint32_t Value(const std::vector<std::uint8_t> &bytes, std::size_t at, int width, bool big)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value |= std::uint32_t{bytes[at + static_cast<std::size_t>(big ? width - 1 - i : i)]}
                 << (8 * i);
    return value;
}

std::string Title(const std::vector<std::uint8_t> &bytes)
{
    std::string title;
    for (const std::uint8_t byte : bytes)
        title.push_back(byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : ' ');
    while (!title.empty() && title.back() == ' ')
        title.pop_back();
    return title;
}

// The sum of the bytes from..to (exclusive), mod 2^32, page by page; false when stopped.
bool SumBytes(Document &document,
              std::int64_t from,
              std::int64_t to,
              std::uint32_t &sum,
              const ProgressCallback &progress)
{
    for (std::int64_t at = from; at < to;) {
        if (progress && !progress(at, to))
            return false;
        const auto page = document.SpanAt(at);
        if (page.empty())
            return true;
        const auto count
            = static_cast<std::size_t>(std::min(static_cast<std::int64_t>(page.size()), to - at));
        for (std::size_t i = 0; i < count; ++i)
            sum += page[i];
        at += static_cast<std::int64_t>(count);
    }
    return true;
}

// SNES: the internal header's title, map mode and checksum pair at base (0x7FC0, 0xFFC0 or
// 0x40FFC0 past any copier header). Its checksum is the 16-bit sum of the image, its size taken
// up to a power of two by repeating the part past the largest power of two below it, with the
// checksum and complement counted as FFFF and 0000.
bool CheckSnes(Document &document,
               std::int64_t copier,
               std::int64_t base,
               const char *system,
               bool hiMode,
               HeaderCheck &check,
               const ProgressCallback &progress)
{
    const std::vector<std::uint8_t> header = Read(document, copier + base, 0x20);
    if (header.size() < 0x20)
        return false;
    const std::uint32_t complement = Value(header, 0x1C, 2, false);
    const std::uint32_t checksum = Value(header, 0x1E, 2, false);
    const std::uint8_t mode = header[0x15];
    const bool modeFits = (mode & 0xE0) == 0x20 && ((mode & 0x01) != 0) == hiMode;
    const bool printable = std::all_of(
        header.begin(), header.begin() + 21, [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; });
    if (!modeFits || !printable || (complement ^ checksum) != 0xFFFF)
        return false;
    const std::int64_t size = document.Size() - copier;
    std::int64_t power = 1;
    while (power * 2 <= size)
        power *= 2;
    std::uint32_t sum = 0;
    if (!SumBytes(document, copier, copier + power, sum, progress))
        return (check.status = Status::Cancelled(), true);
    if (size > power) {
        // The rest repeats until it fills a second power of two.
        const std::int64_t rest = size - power;
        std::uint32_t restSum = 0;
        if (!SumBytes(document, copier + power, copier + size, restSum, progress))
            return (check.status = Status::Cancelled(), true);
        sum += restSum * static_cast<std::uint32_t>(power / rest);
        std::uint32_t partial = 0;
        (void)SumBytes(document, copier + power, copier + power + power % rest, partial, {});
        sum += partial;
    }
    const auto stored
        = static_cast<std::uint32_t>(header[0x1C] + header[0x1D] + header[0x1E] + header[0x1F]);
    sum = (sum - stored + 0x1FE) & 0xFFFF;
    check.system = system;
    check.title = Title({header.begin(), header.begin() + 21});
    check.checksums.push_back({"checksum", copier + base + 0x1E, 2, false, checksum, sum});
    check.checksums.push_back(
        {"complement", copier + base + 0x1C, 2, false, complement, sum ^ 0xFFFF});
    return true;
}

bool CheckGameBoy(Document &document, HeaderCheck &check, const ProgressCallback &progress)
{
    const std::vector<std::uint8_t> header = Read(document, 0x100, 0x50);
    if (header.size() < 0x50
        || !std::equal(kGameBoyLogo.begin(), kGameBoyLogo.end(), header.begin() + 4))
        return false;
    std::uint8_t headerSum = 0;
    for (std::size_t i = 0x34; i <= 0x4C; ++i)
        headerSum = static_cast<std::uint8_t>(headerSum - header[i] - 1);
    std::uint32_t global = 0;
    if (!SumBytes(document, 0, document.Size(), global, progress))
        return (check.status = Status::Cancelled(), true);
    // What the global checksum should hold once the header checksum is right too.
    global = (global - header[0x4D] + headerSum - header[0x4E] - header[0x4F]) & 0xFFFF;
    check.system = "Game Boy";
    check.title = Title({header.begin() + 0x34, header.begin() + 0x44});
    check.checksums.push_back({"header checksum", 0x14D, 1, false, header[0x4D], headerSum});
    check.checksums.push_back(
        {"global checksum", 0x14E, 2, true, Value(header, 0x4E, 2, true), global});
    return true;
}

bool CheckMegaDrive(Document &document, HeaderCheck &check, const ProgressCallback &progress)
{
    const std::vector<std::uint8_t> header = Read(document, 0x100, 0x100);
    const std::string mark(header.begin(),
                           header.begin() + std::min<std::ptrdiff_t>(std::ssize(header), 5));
    if (header.size() < 0x100 || (!mark.starts_with("SEGA") && !mark.starts_with(" SEGA")))
        return false;
    // The 16-bit big-endian words from 0x200 to the end.
    std::uint32_t sum = 0;
    for (std::int64_t at = 0x200; at < document.Size(); at += 0x10000) {
        if (progress && !progress(at, document.Size()))
            return (check.status = Status::Cancelled(), true);
        const std::vector<std::uint8_t> block = Read(document, at, 0x10000);
        for (std::size_t i = 0; i < block.size(); i += 2)
            sum += std::uint32_t{block[i]} << 8 | (i + 1 < block.size() ? block[i + 1] : 0);
    }
    check.system = "Mega Drive";
    check.title = Title({header.begin() + 0x20, header.begin() + 0x50});
    check.checksums.push_back(
        {"checksum", 0x18E, 2, true, Value(header, 0x8E, 2, true), sum & 0xFFFF});
    return true;
}

// Three marks every cartridge has, so that no other image is taken for one: the ARM branch at
// its entry point, the fixed 0x96 at 0xB2, and a title and game code of printable ASCII (or
// zeros).
bool CheckGameBoyAdvance(Document &document, HeaderCheck &check)
{
    const std::vector<std::uint8_t> entry = Read(document, 0, 4);
    const std::vector<std::uint8_t> header = Read(document, 0xA0, 0x20);
    const auto printable = [](std::uint8_t byte) {
        return byte == 0 || (byte >= 0x20 && byte < 0x7F);
    };
    if (entry.size() < 4 || entry[3] != 0xEA || header.size() < 0x20 || header[0x12] != 0x96
        || !std::all_of(header.begin(), header.begin() + 16, printable))
        return false;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 0x1D; ++i)
        sum = static_cast<std::uint8_t>(sum + header[i]);
    check.system = "Game Boy Advance";
    check.title = Title({header.begin(), header.begin() + 12});
    check.checksums.push_back({"header complement",
                               0xBD,
                               1,
                               false,
                               header[0x1D],
                               static_cast<std::uint8_t>(-(sum + 0x19))});
    return true;
}

std::string Hex(std::uint32_t value, int width)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", 2 * width, value);
    return text;
}

} // namespace

bool HeaderCheck::Right() const
{
    return std::all_of(checksums.begin(), checksums.end(), [](const HeaderChecksum &checksum) {
        return checksum.Right();
    });
}

HeaderCheck CheckHeader(Document &document, const ProgressCallback &progress)
{
    HeaderCheck check;
    const std::int64_t copier = document.Size() % 0x8000 == 0x200 ? 0x200 : 0;
    const bool found
        = CheckGameBoy(document, check, progress) || CheckGameBoyAdvance(document, check)
          || CheckMegaDrive(document, check, progress)
          || CheckSnes(document, copier, 0x7FC0, "SNES LoROM", false, check, progress)
          || CheckSnes(document, copier, 0xFFC0, "SNES HiROM", true, check, progress)
          || CheckSnes(document, copier, 0x40FFC0, "SNES ExHiROM", true, check, progress);
    (void)found;
    if (auto error = document.TakeIoError())
        check.status = Status::Error(*error);
    return check;
}

Status FixHeader(Document &document, UndoJournal &journal, const HeaderCheck &check)
{
    if (!check.Recognised() || check.checksums.empty())
        return Status::Error("No header was recognised; nothing was written.");
    std::int64_t low = document.Size();
    std::int64_t high = 0;
    for (const HeaderChecksum &checksum : check.checksums) {
        low = std::min(low, checksum.offset);
        high = std::max(high, checksum.offset + checksum.width);
    }
    journal.RecordBeforeWrite(document, low, high - low);
    for (const HeaderChecksum &checksum : check.checksums)
        for (int i = 0; i < checksum.width; ++i)
            (void)document.WriteByte(
                checksum.offset + i,
                static_cast<std::uint8_t>(
                    checksum.computed >> (8 * (checksum.bigEndian ? checksum.width - 1 - i : i))));
    if (auto error = document.TakeIoError())
        return Status::Error(*error);
    return Status::Ok();
}

std::string HeaderReport(const HeaderCheck &check)
{
    if (!check.Recognised())
        return "No SNES, Game Boy, Mega Drive or Game Boy Advance header was recognised.\n";
    std::string report = check.system + ": \"" + check.title + "\"\n";
    for (const HeaderChecksum &checksum : check.checksums)
        report += checksum.name + ": stored " + Hex(checksum.stored, checksum.width) + ", computed "
                  + Hex(checksum.computed, checksum.width)
                  + (checksum.Right() ? " (right)\n" : " (wrong)\n");
    return report;
}

} // namespace byteloom
