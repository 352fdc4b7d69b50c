#include "platform/code_page.h"

namespace byteloom {

std::array<bool, 256> LeadBytesOf(int codePage)
{
    const std::unique_ptr<CodePage> converter = CodePage::Open(codePage);
    return converter ? converter->LeadBytes() : std::array<bool, 256>{};
}

bool CodePageAvailable(int codePage)
{
    return CodePage::Open(codePage) != nullptr;
}

} // namespace byteloom
