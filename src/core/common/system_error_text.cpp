#include "common/system_error_text.h"

#include <cerrno>
#include <system_error>

namespace byteloom {

std::string LastSystemErrorText()
{
    const int code = errno;
    if (code == 0)
        return "unknown error";
    return std::generic_category().message(code);
}

} // namespace byteloom
