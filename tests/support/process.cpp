#include "support/process.h"

#ifdef _WIN32
#include <windows.h>

#include "common/path_text.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace byteloom::test {

#ifdef _WIN32

namespace {

// One word of a command line as the C runtime's parser reads it back: quoted, with the
// backslashes before a quote doubled.
std::wstring Quoted(const std::wstring &word)
{
    std::wstring quoted = L"\"";
    std::size_t slashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        quoted.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        quoted += c;
    }
    quoted.append(slashes * 2, L'\\');
    return quoted + L"\"";
}

HANDLE Inheritable(const std::string &path, bool write)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.empty() ? L"NUL" : PathOfText(path).wstring().c_str(),
                       write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string> &arguments, const Redirection &streams)
{
    std::wstring line;
    for (const std::string &argument : arguments)
        line += (line.empty() ? L"" : L" ") + Quoted(PathOfText(argument).wstring());
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = Inheritable(streams.in, false);
    start.hStdOutput
        = streams.out.empty() ? GetStdHandle(STD_OUTPUT_HANDLE) : Inheritable(streams.out, true);
    start.hStdError
        = streams.err.empty() ? GetStdHandle(STD_ERROR_HANDLE) : Inheritable(streams.err, true);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(
            nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process)) {
        CloseHandle(process.hThread);
        id_ = reinterpret_cast<long long>(process.hProcess);
    }
    CloseHandle(start.hStdInput);
    if (!streams.out.empty())
        CloseHandle(start.hStdOutput);
    if (!streams.err.empty())
        CloseHandle(start.hStdError);
}

void ChildProcess::Kill()
{
    if (id_ != -1 && !waited_ && TerminateProcess(reinterpret_cast<HANDLE>(id_), 137))
        killed_ = true;
}

int ChildProcess::Wait()
{
    if (waited_ || id_ == -1)
        return code_;
    const HANDLE process = reinterpret_cast<HANDLE>(id_);
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    waited_ = true;
    code_ = killed_ ? -1 : static_cast<int>(code);
    return code_;
}

#else

ChildProcess::ChildProcess(const std::vector<std::string> &arguments, const Redirection &streams)
{
    const pid_t child = fork();
    if (child == 0) {
        const auto redirect = [](const std::string &path, int flags, int to) {
            const int fd = ::open(path.c_str(), flags, 0644);
            if (fd < 0 || dup2(fd, to) < 0)
                _exit(127);
            ::close(fd);
        };
        redirect(streams.in.empty() ? "/dev/null" : streams.in, O_RDONLY, 0);
        if (!streams.out.empty())
            redirect(streams.out, O_WRONLY | O_CREAT | O_TRUNC, 1);
        if (!streams.err.empty())
            redirect(streams.err, O_WRONLY | O_CREAT | O_TRUNC, 2);
        std::vector<char *> argv;
        for (const std::string &argument : arguments)
            argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    id_ = child;
}

void ChildProcess::Kill()
{
    if (id_ > 0 && !waited_)
        kill(static_cast<pid_t>(id_), SIGKILL);
}

int ChildProcess::Wait()
{
    if (waited_ || id_ <= 0)
        return code_;
    int status = 0;
    waitpid(static_cast<pid_t>(id_), &status, 0);
    waited_ = true;
    killed_ = WIFSIGNALED(status);
    code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return code_;
}

#endif

ChildProcess::~ChildProcess()
{
    (void)Wait();
}

int RunToEnd(const std::vector<std::string> &arguments, const Redirection &streams)
{
    return ChildProcess(arguments, streams).Wait();
}

} // namespace byteloom::test
