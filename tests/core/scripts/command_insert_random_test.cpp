// Random tables and command scripts, inserted and compared with a model written here from the
// language's rules alone: the model encodes by trying every entry, and places every byte itself.
#include "command_script_support.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>

namespace byteloom {
namespace {

using test::Bytes;

struct Form
{
    int type = 0; // LINEAR, LOROM00, LOROM80, HIROM, GB
    std::int64_t offsetting = 0;
    int bits = 16;
};
constexpr const char *kTypes[] = {"LINEAR", "LOROM00", "LOROM80", "HIROM", "GB"};

std::string Hex(std::int64_t value)
{
    char text[24];
    std::snprintf(text,
                  sizeof text,
                  value < 0 ? "$-%llX" : "$%llX",
                  static_cast<unsigned long long>(value < 0 ? -value : value));
    return text;
}

// The script being written and the image it must give, side by side.
class ModelRun
{
public:
    explicit ModelRun(std::uint32_t seed)
        : image(0x10000)
        , random_(seed)
    {
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 7);
        MakeTable();
    }

    std::string table; // the table file
    std::string list;  // the pointer list file
    std::string script;
    Bytes image;
    std::int64_t pointers = 0;
    std::size_t cut = 0;
    std::size_t unresolved = 0;

    void Write()
    {
        script = "#VAR(T, TABLE)\n#ADDTBL(\"t.tbl\", T)\n#ACTIVETBL(T)\n";
        header_ = Pick(2) ? 0x200 : 0;
        big_ = Pick(2);
        lowType_ = Pick(5);
        custom_ = {Pick(5), std::array{0, 0x100, -0x8000}[Index(3)], 8 * (1 + Pick(4))};
        embedded_ = {Pick(5), std::array{0, 0x40}[Index(2)], 8 * (2 + Pick(2))};
        script += "#HDR(" + Hex(header_) + ")\n#SMA(\"" + kTypes[lowType_] + "\")\n";
        script += std::string("#ENDIANSWAP(\"") + (big_ ? "TRUE" : "FALSE") + "\")\n";
        script += "#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"" + std::string(kTypes[custom_.type])
                  + "\", " + Hex(custom_.offsetting) + ", " + std::to_string(custom_.bits) + ")\n";
        script += "#VAR(PT, POINTERTABLE)\n#PTRTBL(PT, $C000, 4, P)\n";
        for (int i = 0; i < 64; ++i)
            list += Hex(0xD000 + 4 * i) + "\n";
        script += "#VAR(PL, POINTERLIST)\n#PTRLIST(PL, \"list.txt\", P)\n";
        script += "#EMBTYPE(\"" + std::string(kTypes[embedded_.type]) + "\", "
                  + std::to_string(embedded_.bits) + ", " + Hex(embedded_.offsetting) + ")\n";
        const int blocks = 1 + Pick(4);
        for (int b = 0; b < blocks; ++b)
            Block(b);
        Command("// the end");
        CloseBlock();
        unresolved = pendingEmbedded_.size();
    }

private:
    struct Entry
    {
        std::string text;
        Bytes bytes;
        bool end = false;
        bool token = false;
    };

    int Pick(int count) { return static_cast<int>(random_() % static_cast<unsigned>(count)); }
    std::size_t Index(int count) { return static_cast<std::size_t>(Pick(count)); }

    // Texts that spell each other ("a", "ab", "abc"), repeated texts, tokens with and without
    // bytes, keys of one and two bytes.
    void MakeTable()
    {
        std::vector<std::uint32_t> keys;
        auto key = [&] {
            for (;;) {
                const auto k = static_cast<std::uint32_t>(Pick(3) == 0 ? 0x8000 + Pick(0x100)
                                                                       : 0x10 + Pick(0xE0));
                if (std::find(keys.begin(), keys.end(), k) == keys.end()) {
                    keys.push_back(k);
                    return k;
                }
            }
        };
        auto add = [&](const std::string &text, bool end, bool token) {
            const std::uint32_t k = key();
            Bytes bytes
                = k > 0xFF ? Bytes{static_cast<std::uint8_t>(k >> 8), static_cast<std::uint8_t>(k)}
                           : Bytes{static_cast<std::uint8_t>(k)};
            char hex[8];
            std::snprintf(hex, sizeof hex, k > 0xFF ? "%04X" : "%02X", k);
            table += (end ? "/" : token ? "*" : "") + std::string(hex) + "=" + text + "\n";
            entries_.push_back({text, bytes, end, token});
        };
        for (const char *letter : {"a", "b", "c", "d"})
            add(letter, false, false);
        for (int i = 0; i < 12; ++i) {
            std::string text;
            for (int n = 2 + Pick(2); n > 0; --n)
                text.push_back(static_cast<char>('a' + Pick(4)));
            add(text, false, false);
        }
        add(entries_[Index(static_cast<int>(entries_.size()))].text, false, false); // a repeat
        add("<E>", true, true);
        add("<L>", false, true);
        table += "/<X>\n";
        entries_.push_back({"<X>", {}, true, true});
        // A plain text equal to a token (the token wins) and one that a token begins (the
        // longer text wins, and ends no string).
        add("<L>", false, false);
        add("<E>ab", false, false);
    }

    // The longest entry text at at, the first listed of equal texts; a token wins a tie.
    const Entry *Longest(const std::string &text, std::size_t at) const
    {
        const Entry *best = nullptr;
        for (const Entry &entry : entries_) {
            if (text.compare(at, entry.text.size(), entry.text) != 0)
                continue;
            if (!best || entry.text.size() > best->text.size()
                || (entry.token && !best->token && entry.text.size() == best->text.size()))
                best = &entry;
        }
        return best;
    }

    // One run of text: encoded and played through the string rules.
    void Run(const std::string &text)
    {
        for (std::size_t at = 0; at < text.size();) {
            if (text.compare(at, 2, "<$") == 0 || text.compare(at, 2, "($") == 0) {
                Open();
                WriteText(
                    {static_cast<std::uint8_t>(std::stoi(text.substr(at + 2, 2), nullptr, 16))});
                at += 5;
                continue;
            }
            const Entry *entry = Longest(text, at);
            Open();
            if (!entry->end || stringPascal_ == 0)
                WriteText(entry->bytes);
            if (entry->end)
                Close(entry->text);
            at += entry->text.size();
        }
    }

    // Each command acts after the text before it is encoded: the model's state changes only
    // after Command().
    void Block(int number)
    {
        if (Pick(3) == 0) {
            const bool pascal = Pick(3) != 0;
            Command(pascal ? "#STRTYPE(\"PASCAL\")" : "#STRTYPE(\"ENDTERM\")");
            pascal_ = pascal;
            if (pascal_) {
                const int length = 1 + Pick(2);
                Command("#PASCALLEN(" + std::to_string(length) + ")");
                pascalLength_ = length;
            }
        }
        if (Pick(3) == 0) {
            const std::int64_t length = Pick(2) ? 0 : 2 + Pick(8);
            const auto fill = static_cast<std::uint8_t>(Pick(256));
            Command("#FIXEDLENGTH(" + std::to_string(length) + ", " + Hex(fill) + ")");
            fixed_ = length;
            fixedFill_ = fill;
        }
        if (Pick(3) == 0) {
            const std::int64_t align = std::array{0, 1, 2, 4}[Index(4)];
            Command("#STRINGALIGN(" + std::to_string(align) + ")");
            align_ = align;
            if (block_ && !inString_)
                Align();
        }
        if (Pick(4) == 0) {
            const auto fill = static_cast<std::uint8_t>(Pick(256));
            Command("#FILL(" + Hex(fill) + ")");
            fill_ = fill;
        }
        if (Pick(3) == 0) {
            Command(!autowrite_ ? "#AUTOWRITE(PT, \"<E>\")" : "#DISABLE(PT, \"<E>\")");
            autowrite_ = !autowrite_;
        }
        const std::int64_t start = number * 0x2000 + Pick(16);
        std::optional<std::int64_t> max;
        if (Pick(2))
            max = start + 8 + Pick(0x100);
        Command("#JMP(" + Hex(start) + (max ? ", " + Hex(*max) : "")
                + (Pick(2) ? ", \"B" + std::to_string(number) + "\"" : "") + ")");
        CloseBlock();
        max_ = max;
        block_ = true;
        position_ = textEnd_ = start;
        Align();
        for (int s = 1 + Pick(8); s > 0; --s)
            String();
    }

    void String()
    {
        if (!inString_)
            for (int n = Pick(3); n > 0; --n)
                PointerCommand(true);
        std::string run;
        for (int n = Pick(7); n > 0; --n) {
            const int kind = Pick(10);
            if (kind == 0) {
                char raw[8];
                std::snprintf(raw, sizeof raw, Pick(2) ? "<$%02X>" : "($%02X)", Pick(256));
                run += raw;
            } else if (kind == 1)
                run += "<L>";
            else
                run += entries_[Index(17)].text;
            if (Pick(4) == 0)
                run += "\n"; // a line break of the script: not encoded, and no break in a token
            if (Pick(10) == 0) {
                Flush(run);
                PointerCommand(false);
            }
        }
        if (Pick(6) != 0)
            run += Pick(3) ? "<E>" : "<X>";
        Flush(run);
    }

    void Flush(std::string &run)
    {
        std::string joined;
        for (char c : run)
            if (c != '\n')
                joined.push_back(c);
        if (!joined.empty()) {
            script += run + (run.back() == '\n' ? "" : "\n");
            pendingText_ += joined; // text lines with no command between are one run
        }
        run.clear();
    }

    void PointerCommand(bool betweenStrings)
    {
        switch (Pick(betweenStrings ? 7 : 4)) {
        case 0: {
            const std::int64_t at = 0xE000 + 4 * lowCount_++;
            const int bits = 8 * (2 + Pick(3));
            Command("#W" + std::to_string(bits) + "(" + Hex(at) + ")");
            Pointer(at, {lowType_, 0, bits}, position_, std::nullopt);
            break;
        }
        case 1: {
            const std::int64_t at = 0xF000 + 4 * customCount_++;
            Command("#WRITE(P, " + Hex(at) + ")");
            Pointer(at, custom_, position_, std::nullopt);
            break;
        }
        case 2:
            Embed(Pick(3) == 0 ? 1 + Pick(3) : next_embedded_++, false);
            break;
        case 3:
            Command(listNext_ < 64 ? "#WRITE(PL)" : "#WRITE(PL, 0)");
            listNext_ = listNext_ < 64 ? listNext_ : 0;
            Pointer(0xD000 + 4 * listNext_++, custom_, position_, std::nullopt);
            break;
        case 4: {
            const int slot = Pick(3) == 0 ? Pick(200) : -1;
            Command(slot >= 0 ? "#WRITE(PT, " + std::to_string(slot) + ")" : "#WRITE(PT)");
            if (slot >= 0)
                tableNext_ = slot;
            Pointer(0xC000 + 4 * tableNext_++, custom_, position_, std::nullopt);
            break;
        }
        default:
            Embed(Pick(3) == 0 ? 1 + Pick(3) : next_embedded_++, true);
        }
    }

    // #EMBSET (place) or #EMBWRITE (target) for pointer number; each number gets each once.
    void Embed(int number, bool place)
    {
        if (place ? pendingEmbedded_[number].place.has_value()
                  : pendingEmbedded_[number].target.has_value())
            number = next_embedded_++; // every command the model plays stands in the script
        auto &pointer = pendingEmbedded_[number];
        Command((place ? "#EMBSET(" : "#EMBWRITE(") + std::to_string(number) + ")");
        if (place) {
            const std::int64_t at = position_;
            const Bytes zeros(static_cast<std::size_t>(embedded_.bits / 8), 0);
            const std::int64_t reserved
                = inString_ ? WriteText(zeros) : (Out(zeros), static_cast<std::int64_t>(zeros.size()));
            // The pointer goes only where its zeros went.
            pointer.place = std::pair{at, std::min(max_.value_or(at + reserved - 1), at + reserved - 1)};
        } else {
            pointer.target = position_;
        }
        if (pointer.place && pointer.target) {
            Pointer(pointer.place->first, embedded_, *pointer.target, pointer.place->second);
            pendingEmbedded_.erase(number);
        }
    }

    // The text before a command is encoded when the command is reached, before it acts.
    void Command(const std::string &line)
    {
        Run(pendingText_);
        pendingText_.clear();
        script += line + "\n";
    }

    void Align()
    {
        if (align_ > 1)
            position_ = (position_ + align_ - 1) / align_ * align_;
    }
    void Open()
    {
        if (inString_)
            return;
        Align();
        inString_ = true;
        stringStart_ = position_;
        stringBytes_ = stringKept_ = stringLost_ = 0;
        stringPascal_ = pascal_ ? pascalLength_ : 0;
        position_ += stringPascal_;
        textEnd_ = position_;
    }
    // Returns how many bytes took their place after the fixed length.
    std::int64_t WriteText(Bytes bytes)
    {
        if (fixed_ > 0) {
            const std::size_t room
                = static_cast<std::size_t>(std::max<std::int64_t>(fixed_ - stringBytes_, 0));
            if (bytes.size() > room) {
                stringLost_ += static_cast<std::int64_t>(bytes.size() - room);
                bytes.resize(room);
            }
        }
        const std::int64_t kept = Out(bytes);
        stringBytes_ += static_cast<std::int64_t>(bytes.size());
        stringKept_ += kept;
        stringLost_ += static_cast<std::int64_t>(bytes.size()) - kept;
        return static_cast<std::int64_t>(bytes.size());
    }
    std::int64_t Out(const Bytes &bytes)
    {
        const std::int64_t kept = Put(position_, bytes, max_);
        position_ += static_cast<std::int64_t>(bytes.size());
        textEnd_ = position_;
        return kept;
    }
    void Close(const std::string &token)
    {
        if (!inString_)
            return;
        if (fixed_ > stringBytes_)
            WriteText(Bytes(static_cast<std::size_t>(fixed_ - stringBytes_), fixedFill_));
        if (stringPascal_ > 0) { // the length of the bytes written
            Bytes length;
            for (int i = 0; i < stringPascal_; ++i)
                length.push_back(static_cast<std::uint8_t>(stringKept_ >> (8 * i)));
            if (big_)
                std::reverse(length.begin(), length.end());
            stringLost_ += stringPascal_ - Put(stringStart_, length, max_);
        }
        inString_ = false;
        cut += stringLost_ > 0 ? 1 : 0;
        if (token == "<E>" && autowrite_)
            Pointer(0xC000 + 4 * tableNext_++, custom_, stringStart_, std::nullopt);
        Align();
    }
    void CloseBlock()
    {
        if (!block_)
            return;
        Close("");
        if (fill_ && max_ && textEnd_ <= *max_)
            Put(textEnd_, Bytes(static_cast<std::size_t>(*max_ + 1 - textEnd_), *fill_), max_);
        block_ = false;
    }

    std::int64_t Put(std::int64_t at, const Bytes &bytes, std::optional<std::int64_t> limit)
    {
        std::int64_t kept = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const std::int64_t offset = at + static_cast<std::int64_t>(i);
            if ((limit && offset > *limit) || offset >= static_cast<std::int64_t>(image.size()))
                break;
            image[static_cast<std::size_t>(offset)] = bytes[i];
            ++kept;
        }
        return kept;
    }

    // The game's address of a file offset, by the formulas of each type.
    static std::int64_t Address(int type, std::int64_t v)
    {
        if (type == 1 || type == 2) {
            const std::int64_t bank = (v >> 16) & 0xFF;
            const std::int64_t word = v & 0xFFFF;
            return (type == 2 ? 0x800000 : 0) + bank * 0x20000
                   + (word < 0x8000 ? word + 0x8000 : word + 0x10000);
        }
        if (type == 3)
            return v + 0xC00000;
        if (type == 4)
            return v < 0x4000 ? v : (v / 0x4000) * 0x10000 + v % 0x4000 + 0x4000;
        return v;
    }
    void Pointer(std::int64_t at,
                 const Form &form,
                 std::int64_t target,
                 std::optional<std::int64_t> limit)
    {
        const auto value
            = static_cast<std::uint64_t>(Address(form.type, target - header_) - form.offsetting);
        Bytes bytes;
        for (int i = 0; i < form.bits / 8; ++i)
            bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        if (big_)
            std::reverse(bytes.begin(), bytes.end());
        Put(at, bytes, limit);
        ++pointers;
    }

    struct Pending
    {
        std::optional<std::pair<std::int64_t, std::optional<std::int64_t>>> place;
        std::optional<std::int64_t> target;
    };

    std::mt19937 random_;
    std::vector<Entry> entries_;
    std::int64_t header_ = 0;
    bool big_ = false;
    int lowType_ = 0;
    Form custom_;
    Form embedded_;
    bool block_ = false;
    std::int64_t position_ = 0;
    std::optional<std::int64_t> max_;
    std::optional<std::uint8_t> fill_;
    bool pascal_ = false;
    int pascalLength_ = 1;
    std::int64_t fixed_ = 0;
    std::uint8_t fixedFill_ = 0;
    std::int64_t align_ = 0;
    bool autowrite_ = false;
    bool inString_ = false;
    std::int64_t stringStart_ = 0;
    std::int64_t stringBytes_ = 0;
    std::int64_t stringKept_ = 0;
    std::int64_t stringLost_ = 0;
    int stringPascal_ = 0;
    std::int64_t textEnd_ = 0;
    std::int64_t tableNext_ = 0;
    std::int64_t listNext_ = 0;
    int lowCount_ = 0;
    int customCount_ = 0;
    int next_embedded_ = 10;
    std::map<int, Pending> pendingEmbedded_;
    std::string pendingText_;
};

TEST(CommandScriptInsert, RandomScriptsGiveTheModelsImageAndCounts)
{
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        ModelRun model(seed);
        model.Write();
        test::ScriptBench bench(model.table, 0x10000);
        for (std::size_t i = 0; i < bench.image.size(); ++i)
            bench.image[i] = static_cast<std::uint8_t>(i * 7);
        test::WriteText(bench.folder / "list.txt", model.list);
        const CommandScriptPlan plan = bench.Plan({model.script});
        ASSERT_FALSE(plan.report.Failed()) << "seed " << seed << "\n"
                                           << ReportText(plan.report) << model.script;
        const Bytes inserted = bench.Applied(plan);
        for (std::size_t i = 0; i < inserted.size(); ++i)
            ASSERT_EQ(inserted[i], model.image[i])
                << "seed " << seed << " offset " << Hex(static_cast<std::int64_t>(i)) << "\n"
                << model.table << model.script;
        EXPECT_EQ(plan.report.PointerCount(), model.pointers) << "seed " << seed;
        EXPECT_EQ(plan.report.cut.size(), model.cut) << "seed " << seed;
        EXPECT_EQ(plan.report.unresolved.size(), model.unresolved) << "seed " << seed;
    }
}

} // namespace
} // namespace byteloom
