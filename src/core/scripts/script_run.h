#pragma once

#include "scripts/command_insert.h"
#include "scripts/command_script.h"
#include "scripts/pointer_forms.h"
#include "scripts/script_encoder.h"

#include <map>
#include <memory>
#include <optional>

namespace byteloom {

// Runs command scripts in memory, one after another, into a CommandScriptPlan. Tables and files
// the scripts name are read once and shared by the scripts of one run.
class ScriptRun
{
public:
    ScriptRun(FileSystem &files, const OpenFile &file, CommandScriptPlan &plan);
    ~ScriptRun();

    // Runs one script; false when progress cancelled it.
    bool Run(const CommandScriptSource &source, const ProgressCallback &progress);

private:
    struct Place
    {
        int target = 0;
        std::int64_t offset = 0;
        std::optional<std::int64_t> limit; // the last offset it may write, inclusive
    };
    struct LoadedTable;
    struct Variable
    {
        enum Type { Table, Custom, PtrTable, PtrList, EmbTable };
        Type type = Table;
        int line = 0;
        const LoadedTable *table = nullptr;
        std::optional<PointerForm> form; // a custom pointer once created; the slots' form
        std::int64_t start = 0;          // a pointer table's first slot, and its step
        std::int64_t step = 0;
        std::vector<std::int64_t> offsets; // a pointer list's slots
        Place slots;                       // an embedded pointer table's first slot
        std::vector<bool> filled;          // and which of its slots were written
        std::int64_t next = 0; // the slot the next #WRITE fills
        bool defined = false;  // a table or list that has its slots
    };
    struct Embedded
    {
        int line = 0;
        std::optional<Place> place;
        PointerForm form; // as #EMBTYPE gave it when its place was reserved
        std::optional<std::int64_t> target;
    };
    struct LoadedTable
    {
        std::unique_ptr<TableFile> table;
        std::unique_ptr<ScriptEncoder> encoder;
    };

    void Reset();
    void ReportUnwrittenSlots(const std::string &name, const Variable &variable);
    void Error(std::string message) { ErrorAt(line_, std::move(message)); }
    void ErrorAt(int line, std::string message);
    void Step(const ScriptStep &step);
    void Command(const ScriptStep &step);
    void Text(const ScriptStep &step);

    // Commands.
    void Jump(const ScriptStep &step);
    void Declare(const ScriptStep &step);
    void AddTable(const ScriptStep &step);
    void LowLevelWrite(const ScriptStep &step);
    void CreatePointer(const ScriptStep &step);
    void Write(const ScriptStep &step);
    void PointerTable(const ScriptStep &step);
    void PointerList(const ScriptStep &step);
    void AutoWrite(const ScriptStep &step, bool on);
    void EmbeddedCommand(const ScriptStep &step);
    void EmbeddedTable(const ScriptStep &step);
    void StringCommand(const ScriptStep &step);
    void FileCommand(const ScriptStep &step);
    void InsertBinary(const ScriptStep &step);

    // Text flow. Each writes at the position and moves it on; those of the open string cut it
    // to its fixed length and return how many bytes took their place.
    [[nodiscard]] bool HasPosition(std::string_view what);
    void OpenString();
    std::int64_t FixedRoom(std::int64_t count);
    std::int64_t WriteText(std::span<const std::uint8_t> bytes);
    std::int64_t WriteFill(std::int64_t count, std::uint8_t fill);
    std::int64_t StringOut(std::int64_t count, std::int64_t kept);
    void CloseString(std::string_view endToken);
    void CloseBlock();
    void Align();
    std::int64_t Reserve(std::int64_t count);
    // Text outside strings as much as inside: counted in the block; returns the bytes written.
    std::int64_t TextOut(std::span<const std::uint8_t> bytes);
    std::int64_t TextFill(std::int64_t count, std::uint8_t fill);
    std::int64_t Advance(std::int64_t count, std::int64_t kept);

    // Writing.
    std::int64_t Room(const Place &place, std::int64_t count);
    std::int64_t Put(const Place &place, std::span<const std::uint8_t> bytes);
    std::int64_t PutFill(const Place &place, std::int64_t count, std::uint8_t fill);
    void WritePointer(PointerKind kind,
                      const Place &place,
                      const PointerForm &form,
                      std::int64_t target);
    void WriteSlot(Variable &variable, std::optional<std::int64_t> slot, std::int64_t target);
    void ResolveEmbedded(std::int64_t number);
    Place ReservedPlace(std::int64_t count);

    // Lookups.
    Variable *Find(const ScriptArgument &name, int type, std::string_view use);
    std::optional<PointerForm> CreatedForm(const ScriptArgument &name);
    [[nodiscard]] int TargetOf(const std::string &name);
    [[nodiscard]] std::filesystem::path Beside(const std::string &name) const;
    const std::string *FileBytes(const std::string &name);

    FileSystem &files_;
    OpenFile file_;
    CommandScriptPlan &plan_;
    std::map<std::filesystem::path, LoadedTable> tables_;
    std::map<std::filesystem::path, std::string> fileBytes_;

    // The script being run.
    std::filesystem::path folder_;
    std::string scriptName_;
    int line_ = 0;
    bool utf8_ = false;
    std::map<std::string, std::unique_ptr<Variable>> variables_;
    const LoadedTable *active_ = nullptr;
    std::int64_t header_ = 0;
    AddressType lowLevelType_ = AddressType::Linear;
    bool bigEndian_ = false;
    int textTarget_ = 0;
    int pointerTarget_ = 0;
    std::optional<std::size_t> block_; // index in the report's blocks
    std::int64_t position_ = 0;
    std::optional<std::uint8_t> fill_;
    bool pascal_ = false;
    int pascalLength_ = 1;
    std::int64_t fixedLength_ = 0;
    std::uint8_t fixedFill_ = 0;
    std::int64_t align_ = 0;
    PointerForm embeddedForm_{AddressType::Linear, 0, 16};
    std::map<std::int64_t, Embedded> embedded_;
    std::map<std::string, std::string, std::less<>> autoWrites_; // end token -> variable

    // The open string.
    bool inString_ = false;
    int stringLine_ = 0;
    std::int64_t stringStart_ = 0;
    std::int64_t stringBytes_ = 0; // its bytes, after its fixed length
    std::int64_t stringKept_ = 0;  // of those, the bytes written
    std::int64_t stringLost_ = 0;
    int stringPascalLength_ = 0;
    std::int64_t textEnd_ = 0; // where the block's text ends
    int errorsInScript_ = 0;
};

} // namespace byteloom
