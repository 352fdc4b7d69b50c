#pragma once

#include "cli_support.h"

namespace byteloom::cli {

// Each adds its subcommand to the tool.
Subcommand AddTblCommand(CLI::App &app);
Subcommand AddDumpCommand(CLI::App &app);
Subcommand AddStringCommand(CLI::App &app);
Subcommand AddInsertCommand(CLI::App &app);
Subcommand AddFindCommand(CLI::App &app);
Subcommand AddCopyAsCommand(CLI::App &app);
Subcommand AddSplitCommand(CLI::App &app);
Subcommand AddExpandCommand(CLI::App &app);
Subcommand AddRowsCommand(CLI::App &app);
Subcommand AddPatchCommand(CLI::App &app);
Subcommand AddCompareCommand(CLI::App &app);
Subcommand AddChecksumCommand(CLI::App &app);
Subcommand AddHeaderCommand(CLI::App &app);
Subcommand AddPointersCommand(CLI::App &app);

} // namespace byteloom::cli
