#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace byteloom::test {

struct CliRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs byteloom-cli with the arguments (each passed as one word) and collects what it printed.
[[nodiscard]] CliRun RunCli(const std::vector<std::string> &arguments);

[[nodiscard]] std::filesystem::path ExamplesFolder();

} // namespace byteloom::test
