#include "console.h"

#include "common/utf.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace byteloom::cli {

#ifdef _WIN32

void PrepareStandardStreams()
{
    for (std::FILE *stream : {stdin, stdout, stderr})
        (void)_setmode(_fileno(stream), _O_BINARY);
    // The progress line rewrites itself with an escape sequence, which a console shows as it is
    // unless asked to follow it.
    const HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(console, &mode))
        (void)SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

bool WriteText(std::FILE *stream, std::string_view utf8)
{
    const HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode))
        return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
    std::fflush(stream);
    const std::u16string units = Utf16OfUtf8(utf8);
    for (std::size_t done = 0; done < units.size();) {
        DWORD written = 0;
        DWORD count = static_cast<DWORD>(std::min<std::size_t>(units.size() - done, 8192));
        // A character beyond the Basic Multilingual Plane is never cut between two writes.
        if (done + count < units.size() && IS_HIGH_SURROGATE(units[done + count - 1]))
            --count;
        if (!WriteConsoleW(console, units.data() + done, count, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

std::vector<std::string> Utf8Arguments(int argc, wchar_t **argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        const std::wstring_view wide(argv[i]);
        arguments.push_back(Utf8OfUtf16(
            std::u16string_view(reinterpret_cast<const char16_t *>(wide.data()), wide.size())));
    }
    return arguments;
}

#else

void PrepareStandardStreams() {}

bool WriteText(std::FILE *stream, std::string_view utf8)
{
    return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}

#endif

} // namespace byteloom::cli
