#pragma once

#include <string>
#include <string_view>

namespace byteloom {

// The start-up file as given on the command line: surrounding blanks and one pair of enclosing
// double quotes are taken off, so that "C:\My ROMs\game.smc" names the file inside.
[[nodiscard]] std::string UnquoteCommandLinePath(std::string_view text);

} // namespace byteloom
