// Exceptions shared by every subsystem. Each carries a fixed message; the
// classes let callers tell a bad argument from a call in the wrong state.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace pim {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

// The framework's general "wrong state" error (distinct from the PDF
// writer's own EPdfInvalidOperation).
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// Raised by streams when a file cannot be opened, read or written. When the
// system refused the call, its own words for the reason come along
// (strerror on POSIX, FormatMessageW on Windows; in the file-name encoding,
// UTF-8): "No space left on device", "Permission denied".
class EStreamError : public Exception {
public:
    using Exception::Exception;
    EStreamError(std::string message, std::string systemReason)
        : Exception(std::move(message)), systemReason_(std::move(systemReason)) {}
    // Empty when the error is the program's own finding.
    const std::string& SystemReason() const noexcept { return systemReason_; }

private:
    std::string systemReason_;
};

}  // namespace pim
