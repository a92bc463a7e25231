#pragma once

#include <exception>
#include <string>

// The storage code's own failures. The text is a constant string that is not
// copied; the few failures that name their cause keep their text themselves.
class TVXException : public std::exception {
public:
    explicit TVXException(const char* text) noexcept : text_(text) {}
    ~TVXException() override = default;
    const char* what() const noexcept override { return owned_.empty() ? text_ : owned_.c_str(); }

protected:
    TVXException(const char* text, std::string owned) : text_(text), owned_(std::move(owned)) {}

private:
    const char* text_;
    std::string owned_;
};

// A record file whose checksum does not match its contents.
class TVXCrc_error : public TVXException {
public:
    TVXCrc_error() noexcept : TVXException("corruped file") {}
    explicit TVXCrc_error(const char* text) noexcept : TVXException(text) {}
};

// The database checker file is missing or damaged.
class TVXDBFC_error : public TVXException {
public:
    TVXDBFC_error() noexcept : TVXException("no db checker file or corrupted") {}
    explicit TVXDBFC_error(const char* text) noexcept : TVXException(text) {}
};

// Bytes that do not form a record or a history: a count or a length that runs
// past the end, a history cut short, a history file of the wrong size.
class TVXFormat_error : public TVXException {
public:
    explicit TVXFormat_error(const char* text) noexcept : TVXException(text) {}
    explicit TVXFormat_error(std::string text) : TVXException("", std::move(text)) {}
};

// A record that cannot be stored as it is: a text that Windows-1252 cannot
// hold, a comment or owner text longer than 65535 bytes, more than 65535
// histories. Thrown before a single byte is written.
class TVXWrite_error : public TVXException {
public:
    explicit TVXWrite_error(const char* text) noexcept : TVXException(text) {}
    explicit TVXWrite_error(std::string text) : TVXException("", std::move(text)) {}
};
