#include "session/window_title.h"

#include "common/product.h"
#include "session/session.h"
#include "view/code_page_list.h"
#include "view/text_mode.h"

#include <span>

namespace byteloom {

namespace {

std::string Caption()
{
    return std::string(kProgramCaption) + " " + std::to_string(kVersionMajor) + "."
           + std::to_string(kVersionMinor);
}

} // namespace

std::string NoDocumentTitle()
{
    return Caption() + "." + std::to_string(kVersionPatch);
}

std::string DocumentTitle(std::string_view fileTitle, std::string_view modeName)
{
    return NoDocumentTitle() + " - [ " + std::string(fileTitle) + " ] - " + std::string(modeName);
}

std::string ModifiedTitle(std::string_view title, std::string_view modeName)
{
    const std::size_t bracket = title.rfind(']');
    return std::string(title.substr(0, bracket)) + " *] - " + std::string(modeName);
}

std::string TitleForTextMode(std::string_view title, bool documentOpen, std::string_view modeName)
{
    if (!documentOpen)
        return Caption() + " - " + std::string(modeName);
    const std::size_t dash = title.rfind('-');
    return std::string(title.substr(0, dash == std::string_view::npos ? title.size() : dash + 1))
           + " " + std::string(modeName);
}

std::string TextModeName(Session &session)
{
    return TextModeNameOf(session.display(), session.codePages());
}

std::string TableOrTextModeName(Session &session)
{
    const TableFile *table = session.tables().Current();
    if (table && !session.display().unicodeText)
        return ShownTableText(*table, session.decoder(), table->GetTitle());
    return TextModeName(session);
}

std::string ShownTableText(const TableFile &table, TextDecoder &decoder, std::string_view text)
{
    return decoder.ToUtf8(
        table.GetCodePage(),
        std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()));
}

} // namespace byteloom
