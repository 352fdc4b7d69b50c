#include "common/product.h"

#include <CLI/CLI.hpp>

#include <string>

int main(int argc, char **argv)
{
    CLI::App app{"byteloom-cli: the Byteloom hex editor's engine for scripts and batch work",
                 "byteloom-cli"};
    app.set_version_flag("--version", std::string("byteloom-cli ") + BYTELOOM_VERSION);
    app.require_subcommand(0, 1);
    CLI11_PARSE(app, argc, argv);
    if (app.get_subcommands().empty()) {
        std::fputs(app.help().c_str(), stdout);
    }
    return 0;
}
