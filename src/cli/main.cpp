#include "commands.h"
#include "console.h"
#include "platform/file_system.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char *kFooter
    = R"(Exit status: 0 success; 1 something lost (insert, dump: the report on stderr says
what), nothing found (find, pointers), files that differ (compare) or a header not
recognised or wrong (header); 2 any error, with a message on stderr that begins
"byteloom-cli:", and nothing written. "-" as FILE (dump, string, find, copy-as,
rows) or SCRIPT (insert) reads standard input; "-o -" writes standard output.

Examples:
  byteloom-cli tbl game.tbl
  byteloom-cli dump game.sfc --table game.tbl --start 1000 --length 86 --no-clean -o script.txt
  byteloom-cli string game.sfc --table game.tbl --start 1000 --length 14
  byteloom-cli insert game.sfc script.txt --table game.tbl --address 1000
  byteloom-cli insert game.sfc block1.txt block2.txt --check
  byteloom-cli find game.sfc ables --relative
  byteloom-cli copy-as char game.sfc --start 7FC0 --length 10
  byteloom-cli split game.sfc --bank-size 8000 --header 200
  byteloom-cli expand game.sfc --by 10000 --fill FF
  byteloom-cli rows game.sfc --start 1000 --rows 4 --table game.tbl)";

// Every write to standard output is checked here, once, for every subcommand: a full disk or a
// closed pipe must not end in success.
int Finish(int status)
{
    const bool failed = std::fflush(stdout) != 0 || std::ferror(stdout);
    if (failed && status != byteloom::cli::kExitFailure) // said once, by whoever saw it first
        return byteloom::cli::Fail("Unable to write to standard output");
    return failed ? byteloom::cli::kExitFailure : status;
}

int Run(int argc, char **argv)
{
    using namespace byteloom::cli;
    byteloom::RemoveTemporaryFilesOnSignals();
    PrepareStandardStreams();
    CLI::App app{"byteloom-cli: the Byteloom hex editor's engine for scripts and batch work.\n"
                 "Numbers are hexadecimal unless --decimal is given.",
                 "byteloom-cli"};
    app.set_version_flag("--version", std::string("byteloom-cli ") + BYTELOOM_VERSION);
    app.require_subcommand(0, 1);
    // Options begin with "-" on every system: a word that begins with "/" is a path.
    app.allow_windows_style_options(false);
    app.footer(kFooter);
    const std::vector<Subcommand> commands{
        AddTblCommand(app),
        AddDumpCommand(app),
        AddStringCommand(app),
        AddInsertCommand(app),
        AddFindCommand(app),
        AddCopyAsCommand(app),
        AddSplitCommand(app),
        AddExpandCommand(app),
        AddRowsCommand(app),
        AddPatchCommand(app),
        AddPointersCommand(app),
        AddCompareCommand(app),
        AddChecksumCommand(app),
        AddHeaderCommand(app),
    };
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &help) {
        return Finish(app.exit(help));
    } catch (const CLI::CallForAllHelp &help) {
        return Finish(app.exit(help));
    } catch (const CLI::CallForVersion &version) {
        return Finish(app.exit(version));
    } catch (const CLI::ParseError &error) {
        Fail(error.what());
        std::fputs("Run byteloom-cli --help for the usage.\n", stderr);
        return kExitFailure;
    }
    for (const Subcommand &command : commands) {
        if (command.command->parsed())
            return Finish(command.run());
    }
    // No subcommand: the usage, as for any other mistake in the arguments.
    std::fputs(app.help().c_str(), stderr);
    return kExitFailure;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t **argv)
{
    std::vector<std::string> arguments = byteloom::cli::Utf8Arguments(argc, argv);
    std::vector<char *> pointers;
    for (std::string &argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return Run(argc, pointers.data());
}
#else
int main(int argc, char **argv)
{
    return Run(argc, argv);
}
#endif
