#include "Class/TVXMowerLog.h"

#include "Class/ByteIO.h"
#include "Class/TVXException.h"
#include "core/Cp1252.h"

#include <algorithm>
#include <cassert>
#include <istream>
#include <limits>
#include <ostream>
#include <stdexcept>

namespace {

// The owner text as it is stored, or TVXWrite_error naming the field.
std::string storedText(const std::string& text, const char* field)
{
    const std::optional<std::string> bytes = utf8ToCp1252(text);
    if (!bytes)
        throw TVXWrite_error(std::string("the owner's ") + field + " holds the character \"" +
                             std::string(firstUnencodable(text)) +
                             "\", which a record file cannot hold (Windows-1252)");
    if (bytes->size() > std::numeric_limits<std::uint16_t>::max())
        throw TVXWrite_error(std::string("the owner's ") + field +
                             " is longer than the 65535 bytes a record file can hold");
    return *bytes;
}

std::unique_ptr<TVXLog> readHistory(std::istream& in)
{
    auto history = std::make_unique<TVXLog>();
    if (!history->readFrom(in))
        throw TVXFormat_error("record file ends inside a history");
    return history;
}

std::unique_ptr<TVXLog> readHistory(byteio::ByteReader& in)
{
    return TVXLog::readNew(in);
}

void putText(std::string& out, const std::string& bytes)
{
    byteio::putU16(out, static_cast<std::uint16_t>(bytes.size()));
    out += bytes;
}

}  // namespace

bool TVXMowerLog::insertLog(std::unique_ptr<TVXLog>&& history)
{
    if (!history)
        return false;
    const TVXLogTime date = history->getDate();
    if (LogMap.count(date))
        return false;
    if (LogMap.size() >= MaxLogCount)
        throw TVXWrite_error("a record holds at most 65535 histories");
    LogMap.emplace(date, std::move(history));
    LogTimeVect.push_back(date);
    refreshCopiedFields();
    return true;
}

bool TVXMowerLog::eraseLog(const TVXLogTime& date)
{
    const auto found = LogMap.find(date);
    if (found == LogMap.end())
        return false;
    const auto l_It = std::find(LogTimeVect.begin(), LogTimeVect.end(), date);
    assert(l_It != LogTimeVect.end());
    if (l_It != LogTimeVect.end())
        LogTimeVect.erase(l_It);
    LogMap.erase(found);
    refreshCopiedFields();
    return true;
}

TVXLog& TVXMowerLog::findLog(const TVXLogTime& date)
{
    return const_cast<TVXLog&>(std::as_const(*this).findLog(date));
}

const TVXLog& TVXMowerLog::findLog(const TVXLogTime& date) const
{
    const auto found = LogMap.find(date);
    if (found == LogMap.end())
        throw std::range_error("erreur de cle");
    return *found->second;
}

std::pair<TVXLogTime, TVXLog*> TVXMowerLog::getLogAt(std::uint16_t index) const
{
    const TVXLogTime date = LogTimeVect.at(index);
    const auto found = LogMap.find(date);
    if (found == LogMap.end())
        throw std::range_error("Prob base de donné");
    return {date, found->second.get()};
}

bool TVXMowerLog::mergeFrom(TVXMowerLog& other)
{
    const std::vector<TVXLogTime> dates = other.LogTimeVect;
    for (const TVXLogTime& date : dates) {
        if (LogMap.count(date))
            continue;
        // Refused before the history leaves the other record, so that none is lost.
        if (LogMap.size() >= MaxLogCount)
            throw TVXWrite_error("a record holds at most 65535 histories");
        auto node = other.LogMap.extract(date);
        if (node.empty())
            continue;
        if (!insertLog(std::move(node.mapped()))) {
            other.LogMap.insert(std::move(node));
            continue;
        }
        other.LogTimeVect.erase(std::find(other.LogTimeVect.begin(), other.LogTimeVect.end(), date));
        other.refreshCopiedFields();
    }
    return true;
}

void TVXMowerLog::replaceWith(TVXMowerLog&& other)
{
    std::map<TVXLogTime, std::unique_ptr<TVXLog>> histories;
    for (auto& [date, history] : other.LogMap) {
        const auto kept = LogMap.find(date);
        if (kept == LogMap.end()) {
            histories.emplace(date, std::move(history));
            continue;
        }
        *kept->second = std::move(*history);
        histories.emplace(date, std::move(kept->second));
    }
    LogMap = std::move(histories);
    LogTimeVect = std::move(other.LogTimeVect);
    idNumber = other.idNumber;
    idSuffix = other.idSuffix;
    idYear = other.idYear;
    serialNumber = other.serialNumber;
    softwareVersion = other.softwareVersion;
    typeByte = other.typeByte;
    bootloaderVersion = other.bootloaderVersion;
    typeCode = other.typeCode;
    owner = std::move(other.owner);
    other = TVXMowerLog();
}

void TVXMowerLog::refreshCopiedFields()
{
    if (LogMap.empty())
        return;
    const TVXLog& newest = *LogMap.rbegin()->second;
    serialNumber = newest.getSerialNumber();
    softwareVersion = newest.getSoftwareVersion();
    typeByte = newest.getTypeByte();
    bootloaderVersion = newest.getBootloaderVersion();
}

void TVXMowerLog::checkWritable() const
{
    storedText(owner.getName(), "name");
    storedText(owner.getSurname(), "second name");
    storedText(owner.getAddress(), "address");
    if (LogMap.size() > MaxLogCount)
        throw TVXWrite_error("a record holds at most 65535 histories");
    for (const auto& [date, history] : LogMap)
        history->checkWritable();
}

bool TVXMowerLog::writeTo(std::ostream& out)
{
    checkWritable();
    refreshCopiedFields();
    std::string head;
    head += char(1);
    byteio::putU32(head, serialNumber);
    putText(head, storedText(owner.getName(), "name"));
    putText(head, storedText(owner.getSurname(), "second name"));
    putText(head, storedText(owner.getAddress(), "address"));
    head += char(typeCode);
    head += char(idYear);
    byteio::putU32(head, idNumber);
    head += char(idSuffix);
    byteio::putU16(head, getLogCount());
    out.write(head.data(), static_cast<std::streamsize>(head.size()));
    for (auto& [date, history] : LogMap)
        history->writeTo(out);
    return true;
}

// One parser for a stream and for bytes in memory: the byteio reads of each
// report a cut the way its readFrom promises.
template <class Source>
void TVXMowerLog::readRecord(Source& in)
{
    using namespace byteio;
    constexpr const char* cut = "record file ends inside its header";
    TVXMowerLog record;
    const std::uint8_t format = readU8(in, cut);
    if (format > 1) {
        unsigned char skipped[4];
        readExact(in, skipped, sizeof skipped, cut);
    }
    record.serialNumber = readU32(in, cut);
    TVXOwner& o = record.owner;
    o.setName(cp1252ToUtf8(readCountedBytes(in, "record file ends inside the owner's name")));
    o.setSurname(cp1252ToUtf8(readCountedBytes(in, "record file ends inside the owner's second name")));
    o.setAddress(cp1252ToUtf8(readCountedBytes(in, "record file ends inside the owner's address")));
    record.typeCode = readU8(in, cut);
    record.idYear = readU8(in, cut);
    record.idNumber = readU32(in, cut);
    record.idSuffix = readU8(in, cut);
    const std::uint16_t count = readU16(in, cut);

    // Each history is read before anything is kept for it, so a huge claimed
    // count costs nothing until its bytes are really there.
    for (std::uint16_t i = 0; i < count; ++i) {
        std::unique_ptr<TVXLog> history = readHistory(in);
        if ((history->getTypeByte() & 0x0F) == 0)
            history->setTypeByte(static_cast<std::uint8_t>(history->getTypeByte() + record.typeCode));
        record.insertLog(std::move(history));  // a second history of the same date is dropped
    }
    record.refreshCopiedFields();
    *this = std::move(record);
}

bool TVXMowerLog::readFrom(std::istream& in)
{
    readRecord(in);
    return true;
}

bool TVXMowerLog::readFrom(byteio::ByteReader& in)
{
    readRecord(in);
    return true;
}
