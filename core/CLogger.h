#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>

class Clock;

// A failure to read or write the trace log file.
// Its text is the fixed one the dealer sees; the system's reason is beside it.
class CLoggerError : public std::runtime_error {
public:
    explicit CLoggerError(const std::string& text, std::string reason = {}, bool fileMissing = false)
        : std::runtime_error(text), reason_(std::move(reason)), fileMissing_(fileMissing)
    {
    }
    const std::string& reason() const { return reason_; }
    // True when there was no file at all: the first start.
    bool fileMissing() const { return fileMissing_; }

private:
    std::string reason_;
    bool fileMissing_;
};

// The trace log: the newest entries of what the application did, each stamped
// with the local date and time, read once at start and written once at exit.
// Lines are "DD/MM HHhMMmSSsCC : text"; the year is kept in memory only.
class CLogger {
public:
    struct event {
        std::uint8_t minute = 0;
        std::uint8_t hour = 0;
        std::uint8_t hundredths = 0;
        std::uint8_t second = 0;
        std::int32_t year = 0;
        std::uint8_t day = 0;
        std::uint8_t month = 0;
        std::string text;
    };

    static constexpr std::size_t DefaultLimit = 100;

    static CLogger& instance();
    // Whether the logger exists now (between its first use and its release).
    static bool exists() { return instance_ != nullptr; }
    // Prints "Appel du destructeur" to standard output, saves and destroys the
    // logger. The logger is gone even when the save throws CLoggerError.
    static void releaseInstance();

    // Remembers the path and loads the entries of an existing file; throws
    // CLoggerError("cannot open/create file log on opening") when it cannot be read.
    void open(const std::string& path);
    void log(const std::string& text);
    // Writes every entry to the remembered path and empties the list; throws
    // CLoggerError("cannot open/create file") when the file cannot be written.
    void save();

    // Where log() takes its time from; the system clock unless a test says otherwise.
    void setClock(Clock* clock) { clock_ = clock; }

    const std::deque<event>& entries() const { return entries_; }
    const std::string& path() const { return path_; }
    std::size_t limit() const { return limit_; }

    static std::string formatLine(const event& e);
    // False when the line does not hold the six two-digit fields.
    static bool parseLine(const std::string& line, event& e);

private:
    CLogger() = default;

    std::string path_;
    std::deque<event> entries_;
    std::size_t limit_ = DefaultLimit;
    Clock* clock_ = nullptr;

    static std::unique_ptr<CLogger> instance_;
    friend struct std::default_delete<CLogger>;
};
