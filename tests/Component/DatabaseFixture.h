#pragma once

#include "support/ChildChecks.h"
#include "support/RecordFixtures.h"
#include "support/ScriptedUser.h"

#include "Component/MowerListObserver.h"
#include "Component/RecordFileName.h"
#include "Component/RecordDialogs.h"
#include "Component/RecordWindows.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "Class/TVXLogTime.h"
#include "core/CLogger.h"
#include "core/Clock.h"
#include "core/UserInteraction.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fixture {

namespace fs = std::filesystem;

struct HistoryFixture {
    std::uint32_t serial = 0x0012ABCD;
    TVXLogTime date {2008, 5, 7, 14, 5, 30};
    std::uint8_t typeByte = 0x24;
    std::string comment;  // Windows-1252 bytes
    std::uint8_t imageFill = 0;
};

struct RecordFixture {
    std::uint32_t serial = 0x0012ABCD;
    std::string name = "Alice";
    std::string surname = "Zed";
    std::string address;
    std::uint8_t typeCode = 4;
    std::uint8_t idYear = 7;
    std::uint32_t idNumber = 123;
    std::uint8_t idSuffix = 0;
    std::vector<HistoryFixture> histories;
};

std::string historyBytes(const HistoryFixture& h);
// The record content followed by its CRC-32.
std::string recordFileBytes(const RecordFixture& r);
std::string checkerEntry(std::uint32_t serial);
std::string checkerEntryWithSum(std::uint32_t serial, std::uint16_t sum);

std::string readFile(const fs::path& path);
void writeFile(const fs::path& path, const std::string& bytes);

// The info frame of a mower: serial in bytes 11..14, most significant first.
std::array<std::uint8_t, 16> infoFrame(std::uint32_t serial, std::uint8_t typeByte = 0x24);

// Runs fn in a child process whose files cannot grow past limitBytes, as on
// a full disk; returns fn's result (or -1 when the child did not exit).
// failedChecksInChild (support/ChildChecks.h) says which check failed.
int inChildWithFileSizeLimit(std::size_t limitBytes, const std::function<int()>& fn);

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const fs::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

class FakeWindow : public RecordWindow {
public:
    void bringToFront() override { ++raised; }
    void showHistory(const TVXLogTime& date) override { shown.push_back(date); }
    void storeComments() override
    {
        ++stored;
        if (onStore)
            onStore();
    }
    int raised = 0;
    int stored = 0;
    std::vector<TVXLogTime> shown;
    std::function<void()> onStore;
};

class FakeWindows : public RecordWindowFactory {
public:
    RecordWindow* openRecordWindow(TDBMower& mower) override
    {
        windows.push_back(std::make_unique<FakeWindow>());
        opened.push_back(&mower);
        return windows.back().get();
    }
    std::vector<std::unique_ptr<FakeWindow>> windows;
    std::vector<TDBMower*> opened;
};

class CountingObserver : public MowerListObserver {
public:
    void listArranged() override { ++arranged; }
    void mowerChanged(const TDBMower&) override { ++changed; }
    void refreshRequested() override { ++refreshed; }
    int arranged = 0;
    int changed = 0;
    int refreshed = 0;
};

class FixedClock : public Clock {
public:
    void sleep(unsigned) override {}
    void sleepMicros(unsigned) override {}
    LocalTime now() override { return time; }
    std::uint64_t monotonicMicros() override { return 0; }
    LocalTime time {2011, 3, 4, 10, 20, 30, 0};
};

// A database folder, a list over it and the fakes it talks to. The trace log
// is emptied for each test.
class DatabaseTest : public ::testing::Test {
protected:
    DatabaseTest();

    std::string pathOf(std::uint32_t serial) const;
    void addRecordFile(const RecordFixture& record, bool listed = true);
    void writeChecker(const std::string& bytes);
    std::string checkerBytes() const;
    void load();
    std::vector<std::string> traceLines() const;
    bool traced(const std::string& line) const;

    TempDir dir;
    ScriptedUser user;
    FakeWindows windows;
    CountingObserver observer;
    TDBMowerList list {user, windows};
};

}  // namespace fixture
