#include "cli_runner.h"

#include "support/process.h"
#include "support/temp_folder.h"

namespace byteloom::test {

namespace {

std::string TextOf(const std::filesystem::path &path)
{
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

} // namespace

CliRun RunCli(const std::vector<std::string> &arguments, const CliStreams &streams)
{
    TempFolder folder;
    std::vector<std::string> words{BYTELOOM_CLI_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const std::string out = streams.out.empty() ? (folder / "out").string() : streams.out;
    CliRun run;
    run.exitCode = RunToEnd(words, {streams.in, out, (folder / "err").string()});
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
