// The pointer commands of a command script run: low-level writes, custom pointers, pointer
// tables and lists, automatic and embedded pointers.
#include "scripts/script_run.h"

#include "common/number_text.h"
#include "scripts/command_script.h"

#include <algorithm>
#include <string>

namespace byteloom {

namespace {

// The byte or word a one-byte or half-word write takes of a 32-bit value.
struct Part
{
    int shift = 0;
    int count = 1;
};

std::optional<Part> PartOf(std::string_view name)
{
    if (name == "WLB")
        return Part{0, 1};
    if (name == "WHB")
        return Part{8, 1};
    if (name == "WBB")
        return Part{16, 1};
    if (name == "WUB")
        return Part{24, 1};
    if (name == "WHW")
        return Part{16, 2};
    return std::nullopt;
}

} // namespace

void ScriptRun::LowLevelWrite(const ScriptStep &step)
{
    const auto &args = step.arguments;
    if (!HasPosition("#" + step.name))
        return;
    PointerForm form{lowLevelType_, 0, 32};
    if (args.size() == 2) {
        const auto custom = CreatedForm(args[0]);
        if (!custom)
            return;
        form.type = custom->type;
        form.offsetting = custom->offsetting;
    }
    const Place place{pointerTarget_, args.back().number, std::nullopt};
    if (const auto part = PartOf(step.name)) {
        const std::uint32_t value = PointerValue(form, position_, header_) >> part->shift;
        plan_.report.pointerBytesLost
            += part->count - Put(place, ValueBytes(value, part->count, bigEndian_));
        ++plan_.report.pointers[static_cast<std::size_t>(PointerKind::LowLevel)];
        return;
    }
    form.bits = std::stoi(step.name.substr(1));
    WritePointer(PointerKind::LowLevel, place, form, position_);
}

void ScriptRun::CreatePointer(const ScriptStep &step)
{
    const auto &args = step.arguments;
    Variable *pointer = Find(args[0], Variable::Custom, "#CREATEPTR");
    const auto type = AddressTypeOfName(args[1].text);
    if (!type)
        return Error("Unknown address type \"" + args[1].text + "\"");
    if (!IsPointerSize(args[3].number))
        return Error("A pointer is 8, 16, 24 or 32 bits, not " + std::to_string(args[3].number));
    if (pointer)
        pointer->form = PointerForm{*type, args[2].number, static_cast<int>(args[3].number)};
}

void ScriptRun::Write(const ScriptStep &step)
{
    const auto &args = step.arguments;
    Variable *variable = Find(args[0], -1, "#WRITE");
    if (!variable || !HasPosition("#WRITE"))
        return;
    const std::optional<std::int64_t> number
        = args.size() == 2 ? std::optional(args[1].number) : std::nullopt;
    switch (variable->type) {
    case Variable::Custom:
        if (!number)
            return Error("#WRITE through a custom pointer needs the offset: #WRITE(" + args[0].text
                         + ", offset)");
        if (!variable->form)
            return Error(args[0].text + " has no form yet: give it one with #CREATEPTR");
        return WritePointer(PointerKind::Custom,
                            {pointerTarget_, *number, std::nullopt},
                            *variable->form,
                            position_);
    case Variable::Table:
        return Error("#WRITE needs a pointer, not the table " + args[0].text);
    default:
        return WriteSlot(*variable, number, position_);
    }
}

void ScriptRun::WriteSlot(Variable &variable,
                          std::optional<std::int64_t> number,
                          std::int64_t target)
{
    if (!variable.defined)
        return Error("The pointers of this variable have no slots yet (#PTRTBL, #PTRLIST or "
                     "#EMBPTRTBL)");
    const std::int64_t slot = number.value_or(variable.next);
    if (slot < 0)
        return Error("A slot number cannot be negative");
    variable.next = slot + 1;
    std::int64_t offset = 0;
    switch (variable.type) {
    case Variable::PtrTable:
        if (__builtin_mul_overflow(slot, variable.step, &offset)
            || __builtin_add_overflow(offset, variable.start, &offset)
            || offset > 2 * kLargestScriptNumber)
            return Error("Slot " + std::to_string(slot) + " of the pointer table lies past "
                         + HexOffset(2 * kLargestScriptNumber));
        return WritePointer(
            PointerKind::Table, {pointerTarget_, offset, std::nullopt}, *variable.form, target);
    case Variable::PtrList:
        if (slot >= static_cast<std::int64_t>(variable.offsets.size()))
            return Error("The pointer list has " + std::to_string(variable.offsets.size())
                         + " offsets; slot " + std::to_string(slot) + " is past its end");
        return WritePointer(
            PointerKind::List,
            {pointerTarget_, variable.offsets[static_cast<std::size_t>(slot)], std::nullopt},
            *variable.form,
            target);
    default:
        if (slot >= static_cast<std::int64_t>(variable.filled.size()))
            return Error("The embedded pointer table has " + std::to_string(variable.filled.size())
                         + " slots; slot " + std::to_string(slot) + " is past its end");
        variable.filled[static_cast<std::size_t>(slot)] = true;
        Place place = variable.slots;
        place.offset += slot * (variable.form->bits / 8);
        return WritePointer(PointerKind::EmbeddedTable, place, *variable.form, target);
    }
}

void ScriptRun::PointerTable(const ScriptStep &step)
{
    const auto &args = step.arguments;
    Variable *table = Find(args[0], Variable::PtrTable, "#PTRTBL");
    const auto form = CreatedForm(args[3]);
    if (!table || !form)
        return;
    if (args[1].number < 0)
        return Error("A pointer table cannot start at a negative offset");
    table->start = args[1].number;
    table->step = args[2].number;
    table->form = form;
    table->next = 0;
    table->defined = true;
}

void ScriptRun::PointerList(const ScriptStep &step)
{
    const auto &args = step.arguments;
    Variable *list = Find(args[0], Variable::PtrList, "#PTRLIST");
    const auto form = CreatedForm(args[2]);
    const std::string *text = FileBytes(args[1].text);
    if (!list || !form || !text)
        return;
    list->offsets.clear();
    int number = 0;
    for (std::string_view line : ScriptLines(*text)) {
        ++number;
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty())
            continue;
        const bool hex = line.front() == '$';
        const auto offset = ParseWholeOffset(line.substr(hex ? 1 : 0), hex ? 16 : 10);
        if (!offset)
            return Error("Line " + std::to_string(number) + " of the pointer list " + args[1].text
                         + " is not an offset ($hex or decimal)");
        list->offsets.push_back(*offset);
    }
    list->form = form;
    list->next = 0;
    list->defined = true;
}

void ScriptRun::AutoWrite(const ScriptStep &step, bool on)
{
    const auto &args = step.arguments;
    Variable *variable = Find(args[0], -1, "#" + step.name);
    if (!variable)
        return;
    if (variable->type != Variable::PtrTable && variable->type != Variable::PtrList)
        return Error("#" + step.name + " needs a pointer table or list; " + args[0].text
                     + " is neither");
    if (!on) {
        const auto found = autoWrites_.find(args[1].text);
        if (found != autoWrites_.end() && found->second == args[0].text)
            autoWrites_.erase(found);
        return;
    }
    if (!active_ || !active_->encoder->IsEndToken(args[1].text))
        return Error("\"" + args[1].text + "\" is not an end token of the active table");
    autoWrites_[args[1].text] = args[0].text;
}

void ScriptRun::EmbeddedCommand(const ScriptStep &step)
{
    const auto &args = step.arguments;
    if (step.name == "EMBTYPE") {
        const auto type = AddressTypeOfName(args[0].text);
        if (!type)
            return Error("Unknown address type \"" + args[0].text + "\"");
        if (!IsPointerSize(args[1].number))
            return Error("A pointer is 8, 16, 24 or 32 bits, not "
                         + std::to_string(args[1].number));
        embeddedForm_ = {*type, args[2].number, static_cast<int>(args[1].number)};
        return;
    }
    if (!HasPosition("#" + step.name))
        return;
    const std::int64_t number = args[0].number;
    Embedded &pointer = embedded_[number];
    pointer.line = line_;
    if (step.name == "EMBSET") {
        if (pointer.place)
            return Error("Embedded pointer " + std::to_string(number)
                         + " has its place already (#EMBSET)");
        pointer.place = ReservedPlace(embeddedForm_.bits / 8);
        pointer.form = embeddedForm_;
    } else {
        if (pointer.target)
            return Error("Embedded pointer " + std::to_string(number)
                         + " has its target already (#EMBWRITE)");
        pointer.target = position_;
    }
    if (pointer.place && pointer.target)
        ResolveEmbedded(number);
}

void ScriptRun::ResolveEmbedded(std::int64_t number)
{
    const Embedded pointer = embedded_[number];
    embedded_.erase(number);
    WritePointer(PointerKind::Embedded, *pointer.place, pointer.form, *pointer.target);
}

void ScriptRun::EmbeddedTable(const ScriptStep &step)
{
    const auto &args = step.arguments;
    Variable *table = Find(args[0], Variable::EmbTable, "#EMBPTRTBL");
    const auto form = CreatedForm(args[2]);
    if (!table || !form || !HasPosition("#EMBPTRTBL"))
        return;
    if (args[1].number < 0 || args[1].number > 1'000'000)
        return Error("An embedded pointer table holds 0 to 1,000,000 pointers");
    table->form = form;
    table->filled.assign(static_cast<std::size_t>(args[1].number), false);
    table->next = 0;
    table->defined = true;
    table->line = line_;
    table->slots = ReservedPlace(args[1].number * (form->bits / 8));
}

// Reserves count zero bytes at the position for pointers written later: their place, which ends
// where the reserved bytes do (a string's fixed length or a block's end may cut them).
ScriptRun::Place ScriptRun::ReservedPlace(std::int64_t count)
{
    Place place{textTarget_, position_, plan_.report.blocks[*block_].max};
    const std::int64_t end = position_ + Reserve(count) - 1;
    place.limit = place.limit ? std::min(*place.limit, end) : end;
    return place;
}

void ScriptRun::WritePointer(PointerKind kind,
                             const Place &place,
                             const PointerForm &form,
                             std::int64_t target)
{
    const auto bytes = ValueBytes(PointerValue(form, target, header_), form.bits / 8, bigEndian_);
    plan_.report.pointerBytesLost += static_cast<std::int64_t>(bytes.size()) - Put(place, bytes);
    ++plan_.report.pointers[static_cast<std::size_t>(kind)];
}

} // namespace byteloom
