#include "cli_runner.h"

#include "support/temp_folder.h"

#include <cstdlib>
#include <sys/wait.h>

namespace byteloom::test {

namespace {

std::string Quoted(const std::string &word)
{
    std::string quoted = "'";
    for (const char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string TextOf(const std::filesystem::path &path)
{
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

} // namespace

CliRun RunCli(const std::vector<std::string> &arguments, const CliStreams &streams)
{
    TempFolder folder;
    std::string command = Quoted(BYTELOOM_CLI_PATH);
    for (const std::string &argument : arguments)
        command += " " + Quoted(argument);
    const std::string out = streams.out.empty() ? (folder / "out").string() : streams.out;
    command += " >" + Quoted(out) + " 2>" + Quoted((folder / "err").string()) + " <"
               + Quoted(streams.in);
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (streams.out.empty())
        run.out = TextOf(folder / "out");
    run.err = TextOf(folder / "err");
    return run;
}

CliRun
Cli(std::string_view line, std::initializer_list<std::string> words, const CliStreams &streams)
{
    std::vector<std::string> arguments;
    auto word = words.begin();
    while (!line.empty()) {
        const std::size_t space = line.find(' ');
        const std::string_view token = line.substr(0, space);
        arguments.push_back(token == "{}" && word != words.end() ? *word++ : std::string(token));
        line.remove_prefix(space == std::string_view::npos ? line.size() : space + 1);
    }
    return RunCli(arguments, streams);
}

std::filesystem::path ExamplesFolder()
{
    return BYTELOOM_EXAMPLES_DIR;
}

std::string Example(const char *name)
{
    return (ExamplesFolder() / name).string();
}

} // namespace byteloom::test
