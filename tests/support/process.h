#pragma once

#include <string>
#include <vector>

namespace byteloom::test {

// Where a child's standard streams go: files by path; empty input reads nothing, empty output
// and error are the test's own.
struct Redirection
{
    std::string in;
    std::string out;
    std::string err;
};

// A program started with its arguments, each passed as one word, on Linux and on Windows.
class ChildProcess
{
public:
    explicit ChildProcess(const std::vector<std::string> &arguments,
                          const Redirection &streams = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Stops it at once, as a kill -9 or TerminateProcess does.
    void Kill();
    // Its exit code once it has ended; -1 when it was killed or could not start.
    int Wait();

private:
    long long id_ = -1; // the process id, or the process handle on Windows
    bool killed_ = false;
    int code_ = -1;
    bool waited_ = false;
};

// Runs the program to its end and gives its exit code.
int RunToEnd(const std::vector<std::string> &arguments, const Redirection &streams = {});

} // namespace byteloom::test
