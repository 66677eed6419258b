// Exceptions shared by every subsystem. Each carries a fixed message; the
// classes let callers tell a bad argument from a call in the wrong state.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace pim {

// What kind of trouble an error is, for telling the user in their own words
// what went wrong; the message keeps the library's or the system's words.
enum class TFault {
    fUnknown,
    fNotItsKind,    // the file is not a picture of the kind its name says
    fCutOff,        // the file ends before its picture does
    fDamaged,       // the file's data are wrong
    fTooLarge,      // the picture is larger than the program holds
    fUnsupported,   // a kind or variant of picture the program does not read
    fNoPermission,  // the system refused access
    fDiskFull,      // no room left on the disk
    fOutOfMemory,
};

class Exception : public std::exception {
public:
    explicit Exception(std::string message, TFault fault = TFault::fUnknown)
        : message_(std::move(message)), fault_(fault) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }
    TFault Fault() const noexcept { return fault_; }

private:
    std::string message_;
    TFault fault_;
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
    EStreamError(std::string message, std::string systemReason, TFault fault = TFault::fUnknown)
        : Exception(std::move(message), fault), systemReason_(std::move(systemReason)) {}
    // Empty when the error is the program's own finding.
    const std::string& SystemReason() const noexcept { return systemReason_; }

private:
    std::string systemReason_;
};

}  // namespace pim
