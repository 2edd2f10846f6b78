#pragma once
// Error types shared by every reader and writer of the engine.

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

namespace navora {

// A file's content does not match its format. Carries the file name and the
// byte offset at which the problem was found, so that the message can say
// exactly where the file went wrong.
class FormatError : public std::runtime_error {
public:
    FormatError(std::string file, std::uint64_t offset, const std::string& what);

    const std::string& file() const { return file_; }
    std::uint64_t offset() const { return offset_; }
    // The problem alone, without file name and offset.
    const std::string& reason() const { return reason_; }

private:
    std::string file_;
    std::uint64_t offset_;
    std::string reason_;
};

// The file is not of the expected kind: its type indicator or version is
// not one the reader accepts.
class WrongTypeError : public FormatError {
public:
    using FormatError::FormatError;
};

// A file could not be opened, read, written or renamed.
class IoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a failure means to the user, in the program's own words: the text of
// the engine's own errors as they are; "std::bad_alloc" as running out of
// memory; a file system error as the operation, its paths and the system's
// reason ("cannot create directories \"/x/img\": No space left on device").
std::string errorText(const std::exception& e);

}  // namespace navora
