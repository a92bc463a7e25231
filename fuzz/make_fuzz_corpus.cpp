// Writes the fuzz targets' seed corpora: make_fuzz_corpus DIR writes
// DIR/<target>/<name> for every target, from the program's own writers (the
// record file, the sample database, the history generator, the settings file,
// the trace log) and a few hand-made variants a dealer's files may hold. The
// same files come out on every run; fuzz/corpus/ holds what it wrote.
#include "fuzz/CheckerFolder.h"
#include "fuzz/FuzzSample.h"

#include "Class/ByteIO.h"
#include "Class/Checksum.h"
#include "Class/HistoryGenerator.h"
#include "Class/RecordFile.h"
#include "Class/TVXMowerLog.h"
#include "Component/SampleGenerator.h"
#include "Component/TVXCheckDir.h"
#include "core/AtomicFile.h"
#include "core/CLogger.h"
#include "core/IniFile.h"

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string root;
bool failed = false;

void put(const std::string& target, const std::string& name, const std::string& bytes)
{
    const std::string dir = root + "/" + target;
    std::filesystem::create_directories(dir);
    if (const WriteResult written = writeFileAtomically(dir + "/" + name, bytes); !written) {
        std::fprintf(stderr, "%s/%s: %s\n", dir.c_str(), name.c_str(), written.error.c_str());
        failed = true;
    }
}

std::string withCrc(std::string bytes)
{
    byteio::putU32(bytes, crc32(bytes));
    return bytes;
}

// A history of the generator's, as the link files it.
std::unique_ptr<TVXLog> history(std::uint64_t seed, std::uint8_t typeByte, const TVXLogTime& date, int events)
{
    ImageRecipe recipe;
    recipe.mowerSeed = seed;
    recipe.historySeed = seed * 7 + 1;
    recipe.events = events;
    recipe.typeByte = typeByte;
    recipe.readAt = date;
    auto log = std::make_unique<TVXLog>(generateHistoryImage(recipe));
    const std::uint8_t frame[16] = {0x10, 0x06, 0x00, 0x00, 0x00, 0x00, typeByte, 0x08, 0x04, 0x09, 0x02,
                                    0x04, 0x00, 0x12, 0x34, 0x21};
    log->fillFromInfoFrame(std::span<const std::uint8_t, 16>(frame));
    log->setDate(date);
    return log;
}

std::string binFile(const TVXLog& log)
{
    std::string bytes(16, '\0');
    auto* frame = reinterpret_cast<unsigned char*>(bytes.data());
    std::copy(log.getInfoHead().begin(), log.getInfoHead().end(), frame);
    frame[6] = log.getTypeByte();
    byteio::putU32BE(frame + 7, log.getSoftwareVersion());
    byteio::putU32BE(frame + 11, log.getSerialNumber());
    frame[15] = log.getBootloaderVersion();
    bytes.append(reinterpret_cast<const char*>(log.getImage().data()), log.getImage().size());
    return bytes;
}

void recordFiles()
{
    const std::string target = "fuzz_record_file";

    // A sample mower of several histories, a dealer's comment on one.
    SampleGenerator sample(SampleGenerator::DefaultSeed, 40);
    while (!sample.done()) {
        SampleGenerator::Record r = sample.next();
        TVXMowerLog& record = *r.record;
        if (record.getLogCount() < 3)
            continue;
        while (record.getLogCount() > 3)
            record.eraseLog(record.insertionOrder().front());
        record.logs().begin()->second->setComment("Lame chang\xC3\xA9" "e, c\xC3\xA2" "ble r\xC3\xA9par\xC3\xA9");
        put(target, "sample-three-histories.dat", writeRecordFile(record));
        break;
    }

    TVXMowerLog empty;
    empty.getOwner().setName("Lef\xC3\xA8vre");
    empty.getOwner().setSurname("H\xC3\xA9l\xC3\xA8ne");
    empty.getOwner().setAddress("12, rue des \xC3\x89" "coles\n25000 Besan\xC3\xA7on\n");
    empty.setIdYear(9);
    empty.setIdNumber(4711);
    empty.setIdSuffix('B');
    put(target, "no-history.dat", writeRecordFile(empty));

    // Format 2 puts four bytes before the serial number; the reader skips them.
    TVXMowerLog one;
    one.getOwner().setName("Smith");
    one.insertLog(history(3, 0x24, TVXLogTime(2011, 4, 2, 9, 15, 0), 60));
    std::string format2 = writeRecordFile(one);
    format2.resize(format2.size() - 4);
    format2[0] = 2;
    format2.insert(1, "\xDE\xAD\xBE\xEF", 4);
    put(target, "format-2.dat", withCrc(format2));

    // The loader adds the record's type code to a type byte whose low nibble is
    // 0; a code with a low nibble of 0 does so at every load.
    TVXMowerLog typed;
    typed.setTypeCode(0x20);
    typed.insertLog(history(4, 0x00, TVXLogTime(2012, 6, 1, 8, 0, 0), 20));
    typed.insertLog(history(5, 0x24, TVXLogTime(2013, 6, 1, 8, 0, 0), 20));
    put(target, "type-code-0x20-type-byte-0x00.dat", writeRecordFile(typed));
}

// A history of the generator's whose newest events do or do not hold an
// alarm: an image of 30 events holds one, and without one its alarms become
// bonnet openings.
std::unique_ptr<TVXLog> captionHistory(std::uint64_t seed, const TVXLogTime& date, std::uint32_t serial,
                                       bool alarm)
{
    ImageRecipe recipe;
    recipe.mowerSeed = 11;
    recipe.historySeed = seed;
    recipe.events = 30;
    recipe.readAt = date;
    TVXLog::Image image = generateHistoryImage(recipe);
    if (!alarm) {
        // The ring has not wrapped: event n is in slot n.
        const std::size_t events = TVXLog(image).getEventCount();
        for (std::size_t n = 0; n < events; ++n) {
            std::uint8_t* slot = image.data() + 256 + 8 * n;
            if (slot[4] == TVXLog::AlarmEventCode)
                slot[4] = 2, slot[5] = 0;
        }
    }
    auto log = std::make_unique<TVXLog>(image);
    if (log->holdsAlarm() != alarm) {
        std::fprintf(stderr, "the generated history of seed %llu %s an alarm\n", (unsigned long long)seed,
                     alarm ? "lacks" : "holds");
        failed = true;
    }
    const std::uint8_t frame[16] = {0x10, 0x06, 0x00, 0x00, 0x00, 0x00, 0x24, 0x08, 0x04, 0x09, 0x02,
                                    0x00, 0x00, 0x00, 0x00, 0x21};
    log->fillFromInfoFrame(std::span<const std::uint8_t, 16>(frame));
    log->setSerialNumber(serial);
    log->setDate(date);
    return log;
}

// A record file of the record's header (its histories left out) and of these
// histories as they are given: in this order, dates repeated or not. The
// writer files histories by date, one a date; files from elsewhere need not.
std::string filedAsGiven(TVXMowerLog& header, std::uint32_t headerSerial,
                         const std::vector<std::unique_ptr<TVXLog>>& histories)
{
    std::ostringstream head;
    TVXMowerLog bare;
    bare.getOwner() = header.getOwner();
    bare.setTypeCode(header.getTypeCode());
    bare.setIdYear(header.getIdYear());
    bare.setIdNumber(header.getIdNumber());
    bare.setIdSuffix(header.getIdSuffix());
    bare.writeTo(head);
    std::string bytes = std::move(head).str();
    for (int i = 0; i < 4; ++i)
        bytes[1 + i] = char(headerSerial >> (8 * i));
    bytes.resize(bytes.size() - 2);
    byteio::putU16(bytes, static_cast<std::uint16_t>(histories.size()));
    for (const auto& h : histories) {
        std::ostringstream out;
        h->writeTo(out);
        bytes += std::move(out).str();
    }
    return withCrc(bytes);
}

void recordCaptions()
{
    // What the caption reader must read as the whole reader does: the newest
    // history by date, the first of a repeated date, alarms in it or not.
    const std::string target = "fuzz_record_caption";
    auto owned = [](const char* name, std::uint32_t idNumber) {
        TVXMowerLog r;
        r.getOwner().setName(name);
        r.getOwner().setSurname("Fran\xC3\xA7oise");
        r.getOwner().setAddress("3, place de l'\xC3\x89glise\n74000 Annecy\n");
        r.setTypeCode(0x04);
        r.setIdYear(14);
        r.setIdNumber(idNumber);
        r.setIdSuffix('C');
        return r;
    };
    const TVXLogTime spring(2014, 4, 12, 9, 30, 0), summer(2015, 7, 3, 16, 45, 10), autumn(2016, 10, 21, 11, 5, 59);

    TVXMowerLog none = owned("M\xC3\xBCller", 1);
    put(target, "no-history-header-serial.dat", filedAsGiven(none, 0x0012ABCD, {}));

    SampleGenerator sample(SampleGenerator::DefaultSeed, 40);
    while (!sample.done()) {
        SampleGenerator::Record r = sample.next();
        if (r.record->getLogCount() >= 4) {
            put(target, "sample-several-histories.dat", writeRecordFile(*r.record));
            break;
        }
    }

    TVXMowerLog newestAlarm = owned("Martin", 2);
    newestAlarm.insertLog(captionHistory(1, spring, 0x04000011, false));
    newestAlarm.insertLog(captionHistory(2, summer, 0x04000012, false));
    newestAlarm.insertLog(captionHistory(3, autumn, 0x04000013, true));
    put(target, "alarm-in-newest-only.dat", writeRecordFile(newestAlarm));

    TVXMowerLog olderAlarm = owned("Bernard", 3);
    olderAlarm.insertLog(captionHistory(4, spring, 0x04000021, false));
    olderAlarm.insertLog(captionHistory(5, summer, 0x04000022, true));
    olderAlarm.insertLog(captionHistory(6, autumn, 0x04000023, false));
    put(target, "alarm-in-older-only.dat", writeRecordFile(olderAlarm));

    // Two histories of the newest date: the first is kept (no alarm, its
    // serial), the second dropped.
    TVXMowerLog twice = owned("Durand", 4);
    std::vector<std::unique_ptr<TVXLog>> sameDate;
    sameDate.push_back(captionHistory(7, spring, 0x04000031, true));
    sameDate.push_back(captionHistory(8, autumn, 0x04000032, false));
    sameDate.push_back(captionHistory(9, autumn, 0x04000033, true));
    put(target, "same-date-twice.dat", filedAsGiven(twice, 0x04000099, sameDate));

    // The newest history first in the file, the others after it out of order.
    TVXMowerLog unordered = owned("Petit", 5);
    std::vector<std::unique_ptr<TVXLog>> newestFirst;
    newestFirst.push_back(captionHistory(10, autumn, 0x04000041, true));
    newestFirst.push_back(captionHistory(11, spring, 0x04000042, false));
    newestFirst.push_back(captionHistory(12, summer, 0x04000043, false));
    put(target, "newest-first-in-file.dat", filedAsGiven(unordered, 0x04000041, newestFirst));

    // A format byte above 1: four bytes before the serial number, skipped.
    TVXMowerLog format = owned("Roux", 6);
    format.insertLog(captionHistory(13, spring, 0x04000051, true));
    format.insertLog(captionHistory(14, summer, 0x04000052, false));
    std::string formatFF = writeRecordFile(format);
    formatFF.resize(formatFF.size() - 4);
    formatFF[0] = char(0xFF);
    formatFF.insert(1, "\x01\x02\x03\x04", 4);
    put(target, "format-255.dat", withCrc(formatFF));

    // The newest image lists three events, none an alarm; an alarm lies in a
    // slot past them, where the ring holds nothing yet.
    TVXLog::Image unlisted {};
    unlisted[28] = 0x01, unlisted[29] = 0x18;  // write offset 280: three events
    for (std::size_t slot : {0, 1, 2})
        unlisted[256 + 8 * slot + 4] = std::uint8_t(slot == 1 ? 8 : 1);
    unlisted[256 + 8 * 10 + 4] = TVXLog::AlarmEventCode;
    TVXMowerLog outside = owned("Moreau", 7);
    outside.insertLog(captionHistory(15, spring, 0x04000061, true));
    auto newest = std::make_unique<TVXLog>(unlisted);
    newest->setSerialNumber(0x04000062);
    newest->setTypeByte(0x24);
    newest->setDate(summer);
    outside.insertLog(std::move(newest));
    put(target, "alarm-past-the-listed-events.dat", writeRecordFile(outside));
}

// Four bytes after a record file that change the rows fuzz_record_rows reads
// from it (see `amend` there): 0 info head, 1 sleep-range copy, 2 image of
// history a resized; 3 a text made long; 4 the bytes after the format
// resized; 5 the format set; 6 history a repeated; 7 more histories than a
// file can count.
std::string change(std::uint8_t op, std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    return {char(op), char(a), char(b), char(c)};
}

void recordRows()
{
    // Record files (their rows rebuild them), and record files followed by
    // changes that make rows no file can hold, or rows at the edge of what
    // one holds.
    const std::string target = "fuzz_record_rows";

    TVXMowerLog owned;
    owned.getOwner().setName("Lef\xC3\xA8vre");
    owned.getOwner().setSurname("H\xC3\xA9l\xC3\xA8ne");
    owned.getOwner().setAddress("12, rue des \xC3\x89" "coles\n25000 Besan\xC3\xA7on\n");
    owned.setTypeCode(0x04);
    owned.setIdYear(9);
    owned.setIdNumber(4711);
    owned.setIdSuffix('B');
    const std::string noHistory = writeRecordFile(owned);
    put(target, "no-history.dat", noHistory);

    // The type byte 0x00 is stored as it is; the reader adds the code 0x20.
    TVXMowerLog typed;
    typed.getOwner().setName("Garnier");
    typed.setTypeCode(0x20);
    typed.insertLog(history(4, 0x00, TVXLogTime(2012, 6, 1, 8, 0, 0), 20));
    typed.insertLog(history(5, 0x24, TVXLogTime(2013, 6, 1, 8, 0, 0), 20));
    typed.logs().begin()->second->setComment("Roue arri\xC3\xA8re chang\xC3\xA9" "e");
    const std::string twoHistories = writeRecordFile(typed);
    put(target, "type-code-0x20-type-byte-0x00.dat", twoHistories);

    TVXMowerLog one;
    one.getOwner().setName("Smith");
    one.insertLog(history(3, 0x24, TVXLogTime(2011, 4, 2, 9, 15, 0), 60));
    std::string format2 = writeRecordFile(one);
    format2.resize(format2.size() - 4);
    format2[0] = 2;
    format2.insert(1, "\xDE\xAD\xBE\xEF", 4);
    format2 = withCrc(format2);
    put(target, "format-2.dat", format2);

    // Bytes after the last history: the rows leave them out.
    std::string trailing = noHistory.substr(0, noHistory.size() - 4) + std::string("\x00\x00\x00\x00\x00\x00", 6);
    put(target, "bytes-after-the-last-history.dat", withCrc(trailing));

    // A field of each kind the wrong size, in the first or the second history.
    put(target, "info-head-5-bytes.dat", twoHistories + change(0, 0, 5, 0x10));
    put(target, "sleep-copy-13-bytes.dat", twoHistories + change(1, 1, 13, 0x7F));
    put(target, "image-1-byte-short.dat", twoHistories + change(2, 0, 0xFF, 0));
    put(target, "image-1-byte-long.dat", twoHistories + change(2, 1, 1, 0xAA));
    // Texts of 65535 bytes are held, of 65536 not.
    put(target, "name-65535-bytes.dat", noHistory + change(3, 0, 0, 2));
    put(target, "address-65536-bytes.dat", noHistory + change(3, 0, 2, 3));
    put(target, "comment-65535-bytes.dat", twoHistories + change(3, 1, 3, 2));
    put(target, "comment-65537-bytes.dat", twoHistories + change(3, 0, 3, 4));
    // Format 2 without its four bytes, format 1 with them, format 255 with them.
    put(target, "format-2-no-bytes-after.dat", format2 + change(4, 0, 0, 0));
    put(target, "format-1-bytes-after.dat", format2 + change(5, 1, 0, 0));
    put(target, "format-255.dat", format2 + change(5, 0xFF, 0, 0));
    // Histories repeated (a date twice is held), and 65536 of them.
    put(target, "history-repeated.dat", twoHistories + change(6, 1, 2, 0));
    // The change applies to one input in 16, chosen by the input's digest.
    for (unsigned c = 0; c < 256; ++c) {
        const std::string many = noHistory + change(7, 0, 0, std::uint8_t(c));
        if (fuzzsample::digest(reinterpret_cast<const std::uint8_t*>(many.data()), many.size()) % 16 == 0) {
            put(target, "65536-histories.dat", many);
            break;
        }
    }
}

void historyImages()
{
    const std::string target = "fuzz_history_image";
    SampleGenerator sample(SampleGenerator::DefaultSeed, 1);
    put(target, "sample.bin", sample.binHistory());

    // Types whose cutting-head alarms are numbered differently (low nibbles 5
    // and 11), dated and in German after the image.
    std::string dated = binFile(*history(6, 0x25, TVXLogTime(2019, 7, 14, 18, 2, 0), 120));
    for (unsigned char b : {0xE3, 0x07, 7, 14, 18, 2, 0, 4})
        dated += char(b);
    put(target, "type-0x25-dated-german.bin", dated);
    put(target, "type-0x0b.bin", binFile(*history(7, 0x0B, TVXLogTime(2020, 5, 3, 10, 0, 0), 80)));

    // A wrapped ring: every slot holds an event, the oldest at the write offset.
    std::string wrapped = binFile(*history(8, 0x24, TVXLogTime(2021, 9, 9, 9, 9, 0), 992));
    wrapped[16 + 28] = char(0x80 | 0x05);
    wrapped[16 + 29] = char(0x10);
    put(target, "wrapped-ring.bin", wrapped);
}

void binHistories()
{
    // A .bin file as the link saves one, and the ways a file is refused.
    const std::string target = "fuzz_bin_history";
    SampleGenerator sample(SampleGenerator::DefaultSeed, 1);
    const std::string bin = sample.binHistory();
    put(target, "sample.bin", bin);
    std::string bootloader = bin;
    bootloader[15] = 0x20;
    put(target, "unknown-bootloader.bin", bootloader);
    std::string serial = bin;
    serial[11] = 0x03;
    put(target, "serial-below-0x04000000.bin", serial);
    put(target, "one-byte-short.bin", bin.substr(0, bin.size() - 1));
    put(target, "frame-only.bin", bin.substr(0, 16));
}

void checkers()
{
    // Checkers of the record files in the fuzz_checker target's folder.
    const std::string target = "fuzz_checker";
    using namespace checkerfolder;
    auto entries = [](std::initializer_list<std::uint32_t> serials) {
        std::string bytes;
        for (std::uint32_t s : serials)
            bytes += TVXCheckDir::EncodeEntry(s);
        return bytes;
    };
    put(target, "listed.chk", entries({Sound, LowerCase, BadChecksum}));
    put(target, "missing-and-orphans.chk", entries({Sound, Missing, SoundOrphan, NotARecord}));
    std::string badSum = entries({Sound, Sound, LowerCase});
    badSum[16] ^= 1;
    put(target, "duplicate-and-bad-sum.chk", badSum);
    put(target, "cut-entry.chk", entries({LowerCase}) + "\x01");
}

void settingsAndLogs()
{
    const std::string target = "fuzz_settings_and_log";
    const std::string dir = root + "/" + target;
    std::filesystem::create_directories(dir);

    // Every key the program reads, through the settings writer.
    IniFile ini;
    std::string error;
    const std::string path = dir + "/quorvane.INI";
    std::filesystem::remove(path);
    if (!ini.open(path, error)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
        failed = true;
        return;
    }
    ini.writeInteger("MainForm", "Height", 775);
    ini.writeInteger("MainForm", "Width", 668);
    ini.writeInteger("MainForm", "Top", 130);
    ini.writeInteger("MainForm", "Left", 200);
    ini.writeString("FILEPATH", "DBPATH", "/home/atelier/base mowers");
    ini.writeString("COM", "PORT", "/dev/ttyUSB0");
    ini.writeBool("COM", "AUTO", true);
    ini.writeString("COM", "WIRELOG", "/tmp/wire.log");
    ini.writeInteger("GENERAL", "LANGUAGE", 3);
    ini.writeBool("GENERAL", "SORTBYNAME", true);
    if (const WriteResult written = ini.save(); !written) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), written.error.c_str());
        failed = true;
    }

    // As a dealer's machine may hold it: Windows line ends, comments, names in
    // another case, a hexadecimal number, a Windows-1252 path, no last line end.
    put(target, "dealer.INI",
        "; Quorvane\r\n[mainform]\r\nheight=0x300\r\nWidth = 640\r\nTop=-20\r\nLeft=abc\r\n"
        "[FilePath]\r\nDBPATH=C:\\Donn\xE9" "es\\Tondeuses\r\n[COM]\r\nPORT=COM3\r\nAUTO=0\r\n"
        "[GENERAL]\r\nLANGUAGE=4\r\nSORTBYNAME=1\r\nLANGUAGE=2");

    std::string log;
    const char* texts[] = {"Application started", "Port /dev/ttyUSB0 opened", "History read: 0012ABCD",
                           "Record 0012ABCD.dat written", "Upgrade file refused: odd line 12",
                           ("Ouverture de la base : C:\\Donn\xE9" "es"), "Application closed"};
    std::uint8_t second = 3;
    for (const char* text : texts) {
        CLogger::event e;
        e.day = 14, e.month = 6, e.hour = 10, e.minute = 30, e.second = second, e.hundredths = 25;
        second = static_cast<std::uint8_t>(second + 7);
        e.text = text;
        log += CLogger::formatLine(e) + "\n";
    }
    put(target, "quorvane.log", log);
}

void upgradeFiles()
{
    const std::string target = "fuzz_tvf";
    // The sample upgrade file cut to its first lines of each of the three
    // sections, and the last (shorter) line of each.
    SampleGenerator sample(SampleGenerator::DefaultSeed, 1);
    std::istringstream in(sample.upgradeFile());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);  // each still ends in its CR
    std::string cut;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool tag = lines[i].front() == '[';
        const bool sectionEnd = i + 1 == lines.size() || lines[i + 1].front() == '[';
        std::size_t sinceTag = 0;
        for (std::size_t j = i; j > 0 && lines[j - 1].front() != '['; --j)
            ++sinceTag;
        if (tag || sectionEnd || sinceTag < 4)
            cut += lines[i] + "\n";
    }
    put(target, "three-sections.TVF", cut);

    std::string lf = cut;
    std::erase(lf, '\r');
    put(target, "line-feeds.TVF", lf);

    // Refused: a data line of odd length.
    std::string odd = cut;
    odd.insert(odd.find("\r\n", odd.find("[FIR]") + 7), "A");
    put(target, "odd-line.TVF", odd);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR (writes DIR/<target>/...)\n", argv[0]);
        return 2;
    }
    root = argv[1];
    recordFiles();
    recordCaptions();
    recordRows();
    historyImages();
    binHistories();
    checkers();
    settingsAndLogs();
    upgradeFiles();
    return failed ? 1 : 0;
}
