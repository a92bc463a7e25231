#pragma once

// What the server tests share: the tool, forked children, records.

#include "Class/RecordFile.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/ServerRecordStore.h"
#include "support/PgTestDatabase.h"
#include "support/RunCommand.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace servertest {

namespace fs = std::filesystem;
using Status = StoreResult::Status;

// Single-quoted for the shell; URIs hold '&' and '?'.
inline std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline CommandRun tool(const std::string& arguments)
{
    return runCommand(QUORVANE_BUILD_DIR "/quorvane-tool " + arguments);
}

inline std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file of a folder by name, with its bytes.
inline std::map<std::string, std::string> folderFiles(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = readBytes(entry.path());
    return files;
}

// A history of the serial number and date; its image filled with one byte.
inline std::unique_ptr<TVXLog> history(std::uint32_t serial, TVXLogTime date, std::uint8_t fill = 0,
                                       std::string comment = {})
{
    TVXLog::Image image;
    image.fill(fill);
    auto log = std::make_unique<TVXLog>(image);
    log->setSerialNumber(serial);
    log->setTypeByte(0x24);
    log->setDate(date);
    log->setComment(std::move(comment));
    return log;
}

// A record of one history (or of `histories` histories a month apart).
inline std::unique_ptr<TVXMowerLog> record(std::uint32_t serial, const std::string& name, int histories = 1)
{
    auto r = std::make_unique<TVXMowerLog>();
    r->getOwner().setName(name);
    r->getOwner().setSurname("Muster");
    r->setTypeCode(4);
    r->setIdYear(9);
    r->setIdNumber(serial & 0xFFFF);
    for (int h = 0; h < histories; ++h)
        r->insertLog(history(serial,
                             {static_cast<std::uint16_t>(1990 + h / 12), static_cast<std::uint8_t>(1 + h % 12), 1, 8,
                              0, 0},
                             static_cast<std::uint8_t>(h)));
    return r;
}

// The caption that list gives for a key; an empty key when the list has none.
inline RecordCaption listed(ServerRecordStore& store, const std::string& key)
{
    std::vector<RecordCaption> captions;
    EXPECT_TRUE(store.list(captions));
    for (const RecordCaption& c : captions)
        if (c.key == key)
            return c;
    return {};
}

// The record of a key as a new store on the database reads it; null when it
// does not load.
inline std::unique_ptr<TVXMowerLog> loadedFresh(const std::string& uri, const std::string& key)
{
    ServerRecordStore store(uri);
    if (!store.open())
        return nullptr;
    RecordCaption caption = listed(store, key);
    std::unique_ptr<TVXMowerLog> r;
    if (caption.key.empty() || !store.load(caption, r))
        return nullptr;
    return r;
}

// A forked child running fn, whose return value is its exit status. The
// child leaves without running a destructor: nothing of the parent's (its
// connections above all) is closed or flushed from there.
inline pid_t forkChild(const std::function<int()>& fn)
{
    const pid_t child = ::fork();
    if (child == 0) {
        int status = 99;
        try {
            status = fn();
        } catch (...) {
            status = 98;
        }
        ::_exit(status);
    }
    return child;
}

// The exit status of a child; -signal when a signal ended it.
inline int waitChild(pid_t child)
{
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return -1000;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Children that wait at a gate until the parent opens it, so that they start
// their work at once.
class Gate {
public:
    Gate() { (void)!::pipe(fds_); }
    ~Gate()
    {
        closeEnd(0);
        closeEnd(1);
    }
    // In a child: blocks until the parent opens the gate.
    void wait()
    {
        closeEnd(1);
        char c;
        (void)!::read(fds_[0], &c, 1);
    }
    // In the parent: every waiting child goes.
    void open() { closeEnd(1); }

private:
    void closeEnd(int end)
    {
        if (fds_[end] >= 0)
            ::close(fds_[end]);
        fds_[end] = -1;
    }
    int fds_[2] {-1, -1};
};

}  // namespace servertest
