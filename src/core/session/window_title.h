#pragma once

#include <string>
#include <string_view>

namespace byteloom {

class Session;
class TableFile;
class TextDecoder;

// The window title: "Byteloom RC7 3.0.0", then for a document " - [ name ] - " and the text
// mode's name, or the table's title while a table is current.

[[nodiscard]] std::string NoDocumentTitle();
// "Byteloom RC7 3.0.0 - [ name ] - mode".
[[nodiscard]] std::string DocumentTitle(std::string_view fileTitle, std::string_view modeName);
// The first edit's marker: the title is cut before its last "]" and " *] - mode" follows.
[[nodiscard]] std::string ModifiedTitle(std::string_view title, std::string_view modeName);
// A switch of text mode: with a document the title keeps everything up to its last "-"; with
// none it becomes "Byteloom RC7 3.0 - mode".
[[nodiscard]] std::string
TitleForTextMode(std::string_view title, bool documentOpen, std::string_view modeName);

// The name of the text mode: "Unicode", "ASCII" or the current code page's name.
[[nodiscard]] std::string TextModeName(Session &session);
// What the text column decodes through, as the title names it: "Unicode" in the Unicode modes,
// else the current table's title, else the text mode's name.
[[nodiscard]] std::string TableOrTextModeName(Session &session);
// A table's title or bookmark name as its characters: a table holds them in its own code page.
[[nodiscard]] std::string
ShownTableText(const TableFile &table, TextDecoder &decoder, std::string_view text);

} // namespace byteloom
