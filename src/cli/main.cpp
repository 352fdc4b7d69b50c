#include "commands.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char **argv)
{
    using namespace byteloom::cli;
    CLI::App app{"byteloom-cli: the Byteloom hex editor's engine for scripts and batch work.\n"
                 "Numbers are hexadecimal unless --decimal is given.",
                 "byteloom-cli"};
    app.set_version_flag("--version", std::string("byteloom-cli ") + BYTELOOM_VERSION);
    app.require_subcommand(0, 1);
    const std::vector<std::pair<std::string, CommandAction>> commands{
        {"tbl", AddTblCommand(app)},
        {"dump", AddDumpCommand(app)},
        {"string", AddStringCommand(app)},
        {"insert", AddInsertCommand(app)},
        {"find", AddFindCommand(app)},
        {"copy-as", AddCopyAsCommand(app)},
        {"split", AddSplitCommand(app)},
        {"expand", AddExpandCommand(app)},
        {"rows", AddRowsCommand(app)},
    };
    CLI11_PARSE(app, argc, argv);
    for (const auto &[name, action] : commands) {
        if (app.got_subcommand(name))
            return action();
    }
    std::fputs(app.help().c_str(), stdout);
    return 0;
}
