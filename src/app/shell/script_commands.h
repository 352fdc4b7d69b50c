#pragma once

#include "scripts/pointer_dump.h"
#include "tables/script_dialogs.h"

#include <filesystem>

namespace byteloom {

class CommandHost;

// The Special menu: Dump Script, Dump Selected, Insert Script, Split File, Expand File, Create
// and Apply Patch, and Edit Table. The rules of their dialogs, the dump, the insert, the split,
// the expansion, the patches and the table's edits live in the core.
class ScriptCommands
{
public:
    explicit ScriptCommands(CommandHost &host);

private:
    void DumpScriptWithDialog(const DumpDialogFields &fields);
    void InsertScriptWithDialog();
    void InsertCommandScript(const std::filesystem::path &path);
    void DumpPointerTableTo(const std::filesystem::path &path, const PointerTable &table);
    void CreatePatchWithDialogs();
    void ApplyPatchWithDialog();

    CommandHost &host_;
};

} // namespace byteloom
