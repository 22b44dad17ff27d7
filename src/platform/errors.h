#pragma once
// The platform's exception family. Messages are the platform's own texts; the ones with a %s
// carry the file name.
#include <stdexcept>
#include <string>

// Root of every failure the system raises; what() is the text the exception display shows.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// "Cannot open file %s"
class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const std::string& fileName, const std::string& reason = {});
};

// "Cannot create file %s"
class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const std::string& fileName, const std::string& reason = {});
};

// "Stream read error"
class EReadError : public EStreamError {
public:
    EReadError();
};

// "Stream write error"
class EWriteError : public EStreamError {
public:
    EWriteError();
    explicit EWriteError(const std::string& message) : EStreamError(message) {}
};

// "Metafile is not valid"
class EInvalidGraphic : public Exception {
public:
    EInvalidGraphic();
    explicit EInvalidGraphic(const std::string& detail);
    // What is wrong, without the platform's text in front; empty when nothing more is known.
    const std::string& Detail() const { return detail_; }

private:
    std::string detail_;
};

// Printer failures, for example "Printer index out of range".
class EPrinter : public Exception {
public:
    using Exception::Exception;
};

// Replaces the first %s of a message with the argument.
std::string FormatMessage(const std::string& pattern, const std::string& argument);
