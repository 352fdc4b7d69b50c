#pragma once

#include "cli_support.h"

namespace byteloom::cli {

// Each adds its subcommand to the tool and returns what runs it.
CommandAction AddTblCommand(CLI::App &app);
CommandAction AddDumpCommand(CLI::App &app);
CommandAction AddStringCommand(CLI::App &app);
CommandAction AddInsertCommand(CLI::App &app);
CommandAction AddFindCommand(CLI::App &app);
CommandAction AddCopyAsCommand(CLI::App &app);
CommandAction AddSplitCommand(CLI::App &app);
CommandAction AddExpandCommand(CLI::App &app);
CommandAction AddRowsCommand(CLI::App &app);
CommandAction AddPatchCommand(CLI::App &app);

} // namespace byteloom::cli
