#include "core/CLogger.h"

#include "core/AtomicFile.h"
#include "core/BoundedFile.h"
#include "core/Clock.h"

#include <cstdio>
#include <iostream>

std::unique_ptr<CLogger> CLogger::instance_;

namespace {

// A line longer than this keeps only its first characters: a damaged log
// must not make the start-up read megabytes into one entry.
constexpr std::size_t MaxLineLength = 4096;
// A log of 100 lines is a few kilobytes; anything far larger is not ours.
constexpr std::size_t MaxLogFileBytes = 64u * 1024u * 1024u;

bool twoDigits(const std::string& line, std::size_t pos, std::uint8_t& value)
{
    const char a = line[pos];
    const char b = line[pos + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9')
        return false;
    value = static_cast<std::uint8_t>((a - '0') * 10 + (b - '0'));
    return true;
}

}  // namespace

CLogger& CLogger::instance()
{
    if (!instance_)
        instance_.reset(new CLogger());
    return *instance_;
}

void CLogger::releaseInstance()
{
    std::unique_ptr<CLogger> logger(std::move(instance_));
    if (!logger)
        return;
    std::cout << "Appel du destructeur" << std::endl;
    logger->save();
}

std::string CLogger::formatLine(const event& e)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02u/%02u %02uH%02um%02us%02u : ", unsigned(e.day) % 100,
                  unsigned(e.month) % 100, unsigned(e.hour) % 100, unsigned(e.minute) % 100,
                  unsigned(e.second) % 100, unsigned(e.hundredths) % 100);
    return stamp + e.text;
}

bool CLogger::parseLine(const std::string& line, event& e)
{
    if (line.size() < 17)
        return false;
    if (!twoDigits(line, 0, e.day) || !twoDigits(line, 3, e.month) || !twoDigits(line, 6, e.hour)
        || !twoDigits(line, 9, e.minute) || !twoDigits(line, 12, e.second)
        || !twoDigits(line, 15, e.hundredths))
        return false;
    e.year = 0;
    e.text = line.size() > 20 ? line.substr(20) : std::string();
    return true;
}

void CLogger::open(const std::string& path)
{
    path_ = path;
    entries_.clear();

    std::string bytes;
    std::string error;
    const ReadStatus status = readBoundedFile(path, MaxLogFileBytes, bytes, error);
    if (status != ReadStatus::Ok)
        throw CLoggerError("cannot open/create file log on opening", error, status == ReadStatus::NotFound);

    // Only whole lines count: a last line without its line feed is not read.
    std::size_t start = 0;
    for (std::size_t end = bytes.find('\n'); end != std::string::npos;
         start = end + 1, end = bytes.find('\n', start)) {
        std::size_t length = end - start;
        if (length > 0 && bytes[start + length - 1] == '\r')
            --length;
        const std::string line = bytes.substr(start, std::min(length, MaxLineLength));
        event e;
        if (parseLine(line, e))
            entries_.push_back(std::move(e));
    }
}

void CLogger::log(const std::string& text)
{
    const LocalTime t = (clock_ ? *clock_ : static_cast<Clock&>(SystemClock::instance())).now();
    event e;
    e.minute = static_cast<std::uint8_t>(t.minute);
    e.hour = static_cast<std::uint8_t>(t.hour);
    e.hundredths = static_cast<std::uint8_t>(t.hundredths);
    e.second = static_cast<std::uint8_t>(t.second);
    e.year = t.year;
    e.day = static_cast<std::uint8_t>(t.day);
    e.month = static_cast<std::uint8_t>(t.month);
    e.text = text;
    entries_.push_back(std::move(e));
    while (entries_.size() > limit_)
        entries_.pop_front();
}

void CLogger::save()
{
    std::string bytes;
    for (const event& e : entries_) {
        bytes += formatLine(e);
        bytes += '\n';
    }
    if (const WriteResult written = writeFileAtomically(path_, bytes); !written)
        throw CLoggerError("cannot open/create file", written.error);
    entries_.clear();
}
