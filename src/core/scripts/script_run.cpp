#include "scripts/script_run.h"
#include "common/path_text.h"

#include "platform/binary_file.h"
#include "tables/table_notes.h"
#include "tables/table_parser.h"

#include <algorithm>

namespace byteloom {

namespace {

constexpr std::array<std::string_view, 5> kTypeWords{
    "TABLE", "CUSTOMPOINTER", "POINTERTABLE", "POINTERLIST", "EMBPOINTERTABLE"};
constexpr std::string_view kLoadedPrefix = "Table loaded: ";
constexpr int kErrorsShown = 100; // per script; the rest are counted

} // namespace

ScriptRun::ScriptRun(FileSystem &files, const OpenFile &file, CommandScriptPlan &plan)
    : files_(files)
    , file_(file)
    , plan_(plan)
{
    if (plan_.targets.empty())
        plan_.targets.push_back(file.path);
}

ScriptRun::~ScriptRun() = default;

void ScriptRun::Reset()
{
    variables_.clear();
    active_ = nullptr;
    header_ = 0;
    lowLevelType_ = AddressType::Linear;
    bigEndian_ = false;
    textTarget_ = pointerTarget_ = 0;
    block_.reset();
    position_ = 0;
    fill_.reset();
    pascal_ = false;
    pascalLength_ = 1;
    fixedLength_ = 0;
    align_ = 0;
    embeddedForm_ = {AddressType::Linear, 0, 16};
    embedded_.clear();
    autoWrites_.clear();
    inString_ = false;
    errorsInScript_ = 0;
}

bool ScriptRun::Run(const CommandScriptSource &source, const ProgressCallback &progress)
{
    Reset();
    folder_ = source.path.parent_path();
    scriptName_ = TextOfPath(source.path.filename());
    const std::size_t firstError = plan_.report.errors.size();
    ParsedCommandScript parsed = ParseCommandScript(source.stored);
    utf8_ = parsed.utf8;
    for (const ScriptProblem &problem : parsed.errors) {
        line_ = problem.line;
        Error(problem.message);
    }
    const auto total = static_cast<std::int64_t>(parsed.steps.size());
    for (std::int64_t i = 0; i < total; ++i) {
        if (progress && i % 4096 == 0 && !progress(i, total)) {
            line_ = 0;
            Error("The insert was cancelled; nothing was written.");
            return false;
        }
        Step(parsed.steps[static_cast<std::size_t>(i)]);
    }
    line_ = 0;
    CloseBlock();
    for (const auto &[number, pointer] : embedded_)
        plan_.report.unresolved.push_back(
            {scriptName_,
             pointer.line,
             pointer.place ? "#EMBSET(" + std::to_string(number) + ") has no #EMBWRITE"
                           : "#EMBWRITE(" + std::to_string(number) + ") has no #EMBSET"});
    for (const auto &[name, variable] : variables_)
        ReportUnwrittenSlots(name, *variable);
    // The malformed lines were found first; every error is listed in line order.
    std::stable_sort(
        plan_.report.errors.begin() + static_cast<std::ptrdiff_t>(firstError),
        plan_.report.errors.end(),
        [](const ScriptProblem &a, const ScriptProblem &b) { return a.line < b.line; });
    if (errorsInScript_ > kErrorsShown)
        plan_.report.errors.push_back(
            {0,
             scriptName_ + ": " + std::to_string(errorsInScript_ - kErrorsShown) + " more errors"});
    return true;
}

// The slots of an embedded pointer table that were never written, in one line: "Slots 0, 3
// of E were never written".
void ScriptRun::ReportUnwrittenSlots(const std::string &name, const Variable &variable)
{
    std::string slots;
    std::int64_t count = 0;
    for (std::size_t slot = 0; slot < variable.filled.size(); ++slot) {
        if (variable.filled[slot])
            continue;
        if (++count <= 10)
            slots += (slots.empty() ? "" : ", ") + std::to_string(slot);
    }
    if (count == 0)
        return;
    if (count > 10)
        slots += " and " + std::to_string(count - 10) + " more";
    plan_.report.unresolved.push_back({scriptName_,
                                       variable.line,
                                       (count == 1 ? "Slot " : "Slots ") + slots + " of " + name
                                           + (count == 1 ? " was" : " were") + " never written",
                                       count});
}

void ScriptRun::ErrorAt(int line, std::string message)
{
    if (++errorsInScript_ > kErrorsShown)
        return;
    const std::string where = line > 0 ? " line " + std::to_string(line) : "";
    plan_.report.errors.push_back({line, scriptName_ + where + ": " + message});
}

void ScriptRun::Step(const ScriptStep &step)
{
    line_ = step.line;
    if (step.isText)
        Text(step);
    else
        Command(step);
}

void ScriptRun::Command(const ScriptStep &step)
{
    const std::string &name = step.name;
    const auto &args = step.arguments;
    if (name == "JMP")
        return Jump(step);
    if (name == "HDR") {
        header_ = args[0].number;
    } else if (name == "VAR") {
        Declare(step);
    } else if (name == "ADDTBL") {
        AddTable(step);
    } else if (name == "ACTIVETBL") {
        if (Variable *table = Find(args[0], Variable::Table, "#ACTIVETBL")) {
            if (!table->table)
                return Error(args[0].text + " has no table: load one with #ADDTBL first");
            active_ = table->table;
        }
    } else if (name == "SMA") {
        if (const auto type = AddressTypeOfName(args[0].text))
            lowLevelType_ = *type;
        else
            Error("Unknown address type \"" + args[0].text + "\"");
    } else if (name.size() == 3 && name[0] == 'W' && name != "WRITE") {
        LowLevelWrite(step);
    } else if (name == "CREATEPTR") {
        CreatePointer(step);
    } else if (name == "WRITE") {
        Write(step);
    } else if (name == "PTRTBL") {
        PointerTable(step);
    } else if (name == "PTRLIST") {
        PointerList(step);
    } else if (name == "AUTOWRITE" || name == "DISABLE") {
        AutoWrite(step, name == "AUTOWRITE");
    } else if (name == "EMBPTRTBL") {
        EmbeddedTable(step);
    } else if (name.starts_with("EMB")) {
        EmbeddedCommand(step);
    } else if (name == "INSERTBINARY") {
        InsertBinary(step);
    } else if (name == "SETTARGETFILE" || name == "SETPTRFILE") {
        FileCommand(step);
    } else {
        StringCommand(step);
    }
}

void ScriptRun::Jump(const ScriptStep &step)
{
    const auto &args = step.arguments;
    CloseBlock();
    const std::int64_t start = args[0].number;
    std::optional<std::int64_t> max;
    std::string name;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i].kind == ScriptArgument::Kind::Number)
            max = args[i].number;
        else
            name = args[i].text;
    }
    if (start < 0)
        return Error("#JMP to a negative offset");
    if (max && *max < start)
        return Error("#JMP's end " + HexOffset(*max) + " is before its start " + HexOffset(start));
    BlockReport block;
    block.script = scriptName_;
    block.line = line_;
    block.name = name;
    block.file = textTarget_ == 0
                     ? TextOfPath(file_.path.filename())
                     : TextOfPath(plan_.targets[static_cast<std::size_t>(textTarget_)].filename());
    block.start = block.end = start;
    block.max = max;
    plan_.report.blocks.push_back(std::move(block));
    block_ = plan_.report.blocks.size() - 1;
    ++plan_.blockCount;
    position_ = textEnd_ = start;
    Align();
}

void ScriptRun::Declare(const ScriptStep &step)
{
    const std::string &name = step.arguments[0].text;
    const std::string &type = step.arguments[1].text;
    if (type == "EXTENSION")
        return Error("Extensions are not supported (they are Windows libraries); #VAR(" + name
                     + ", EXTENSION) cannot be used");
    const auto known = std::find(kTypeWords.begin(), kTypeWords.end(), type);
    if (known == kTypeWords.end())
        return Error("Unknown variable type " + type);
    const auto kind = static_cast<Variable::Type>(known - kTypeWords.begin());
    auto &variable = variables_[name];
    if (variable && variable->type != kind)
        return Error(name + " is declared already, as another type");
    if (!variable) {
        variable = std::make_unique<Variable>();
        variable->type = kind;
        variable->line = line_;
    }
}

ScriptRun::Variable *ScriptRun::Find(const ScriptArgument &name, int type, std::string_view use)
{
    if (name.kind != ScriptArgument::Kind::Name) {
        Error(std::string(use) + " needs a variable");
        return nullptr;
    }
    const auto found = variables_.find(name.text);
    if (found == variables_.end()) {
        Error(name.text + " is not declared (#VAR)");
        return nullptr;
    }
    if (type >= 0 && found->second->type != type) {
        Error(std::string(use) + " needs a variable of type "
              + std::string(kTypeWords[static_cast<std::size_t>(type)]) + "; " + name.text + " is "
              + std::string(kTypeWords[static_cast<std::size_t>(found->second->type)]));
        return nullptr;
    }
    return found->second.get();
}

std::optional<PointerForm> ScriptRun::CreatedForm(const ScriptArgument &name)
{
    Variable *pointer = Find(name, Variable::Custom, "A custom pointer");
    if (pointer && !pointer->form)
        Error(name.text + " has no form yet: give it one with #CREATEPTR");
    return pointer ? pointer->form : std::nullopt;
}

std::filesystem::path ScriptRun::Beside(const std::string &name) const
{
    return (folder_ / PathOfText(name)).lexically_normal();
}

void ScriptRun::AddTable(const ScriptStep &step)
{
    Variable *variable = Find(step.arguments[1], Variable::Table, "#ADDTBL");
    if (!variable)
        return;
    const std::filesystem::path path = Beside(step.arguments[0].text);
    auto loaded = tables_.find(path);
    if (loaded == tables_.end()) {
        const TextFileResult file = ReadBinaryFile(path, files_);
        if (!file.status.ok())
            return Error("The table " + step.arguments[0].text
                         + " cannot be read: " + file.status.message());
        ParsedTable parsed = ParseStoredTable(file.text, TextOfPath(path.filename()));
        // Text through a table with no entry would be skipped whole: the script stops first.
        if (parsed.notes.noTableLine)
            return Error(NotATableMessage(step.arguments[0].text));
        const std::string summary = TableNotesSummary(parsed.notes);
        std::string_view notes = summary;
        if (notes.starts_with(kLoadedPrefix))
            notes.remove_prefix(kLoadedPrefix.size());
        if (!notes.empty())
            plan_.report.notes.push_back(TextOfPath(path.filename()) + ": " + std::string(notes));
        LoadedTable table;
        table.table = std::make_unique<TableFile>(std::move(parsed.table));
        table.encoder = std::make_unique<ScriptEncoder>(*table.table);
        loaded = tables_.emplace(path, std::move(table)).first;
    }
    variable->table = &loaded->second;
}

} // namespace byteloom
