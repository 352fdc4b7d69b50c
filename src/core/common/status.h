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
    // The user stopped the work; nothing is to be reported.
    static Status Cancelled()
    {
        Status status("Cancelled");
        status.cancelled_ = true;
        return status;
    }

    [[nodiscard]] bool ok() const { return !failed_; }
    [[nodiscard]] bool cancelled() const { return cancelled_; }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const std::string &message() const { return message_; }

private:
    Status() = default;
    explicit Status(std::string message)
        : failed_(true)
        , message_(std::move(message))
    {}

    bool failed_ = false;
    bool cancelled_ = false;
    std::string message_;
};

} // namespace byteloom
