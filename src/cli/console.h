#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom::cli {

// Standard input and output carry bytes as they are: on Windows, without the C library turning
// line ends into CR LF and stopping at Ctrl+Z.
void PrepareStandardStreams();

// Writes UTF-8 text: to a Windows console as its characters (the console's own code page would
// garble them), to a file, a pipe or a terminal as the bytes given. False when it fails.
bool WriteText(std::FILE *stream, std::string_view utf8);

#ifdef _WIN32
// The arguments Windows gives as UTF-16, as the UTF-8 the rest of the tool takes.
std::vector<std::string> Utf8Arguments(int argc, wchar_t **argv);
#endif

} // namespace byteloom::cli
