#pragma once

#include <string>
#include <utility>

namespace byteloom {

// The outcome of an operation that can fail: success, or the message the user is shown.
class [[nodiscard]] Status
{
public:
    static Status Ok() { return Status(); }
    static Status Error(std::string message) { return Status(std::move(message)); }

    [[nodiscard]] bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const std::string &message() const { return message_; }

private:
    Status() = default;
    explicit Status(std::string message)
        : failed_(true)
        , message_(std::move(message))
    {}

    bool failed_ = false;
    std::string message_;
};

} // namespace byteloom
