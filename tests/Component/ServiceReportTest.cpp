#include "Component/ServiceReport.h"

#include "Class/HistoryRender.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "core/TVXStringTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

struct Event {
    std::uint8_t day, hour, code, extra;
};

// A history whose event ring holds these events in 8-byte slots from 256
// (BCD date and time, code, extra), the write offset at 28 after the last one.
std::unique_ptr<TVXLog> historyWith(const std::vector<Event>& events, std::string comment = {})
{
    TVXLog::Image image {};
    auto bcd = [](unsigned v) { return std::uint8_t((v / 10) << 4 | v % 10); };
    for (std::size_t n = 0; n < events.size(); ++n) {
        std::uint8_t* slot = &image[256 + 8 * n];
        slot[0] = bcd(events[n].day);
        slot[1] = bcd(5);
        slot[2] = bcd(events[n].hour);
        slot[3] = bcd(30);
        slot[4] = events[n].code;
        slot[5] = events[n].extra;
    }
    const std::size_t offset = 256 + 8 * events.size();
    image[28] = std::uint8_t(offset >> 8);
    image[29] = std::uint8_t(offset);
    auto history = std::make_unique<TVXLog>(image);
    history->setDate(TVXLogTime(2024, 5, 20, 9, 15, 0));
    history->setSerialNumber(0x0012ABCD);
    history->setTypeByte(0x24);
    history->setComment(std::move(comment));
    return history;
}

class ServiceReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TVXStringTable::instance().setLanguage(0);
        record.getOwner().setName("Hélène");
        record.getOwner().setSurname("Müller");
        record.getOwner().setAddress("12 rue des Prés\n75000 Paris\n");
        record.setTypeCode(4);
        record.setIdYear(7);
        record.setIdNumber(123);
    }
    void TearDown() override { TVXStringTable::instance().setLanguage(0); }

    const ReportTable& table(const ServiceReport& report, const std::string& title)
    {
        const auto found = std::find_if(report.tables.begin(), report.tables.end(),
                                        [&](const ReportTable& t) { return t.title == title; });
        EXPECT_NE(found, report.tables.end()) << title;
        return found == report.tables.end() ? report.tables.front() : *found;
    }

    TVXMowerLog record;
};

TEST_F(ServiceReportTest, AlarmsAreCountedByNameWithTheirFirstAndLastDates)
{
    // Two alarms of code 3 and one of code 7, around ordinary events.
    const auto history = historyWith({{1, 8, 5, 3}, {2, 9, 2, 0}, {3, 10, 5, 7}, {4, 11, 5, 3}, {6, 12, 5, 3}});
    const std::vector<AlarmSummary> alarms = alarmSummary(*history);
    ASSERT_EQ(alarms.size(), 2u);

    const std::vector<EventRow> rows = eventRows(*history);
    EXPECT_EQ(alarms[0].name, rows[0].event);
    EXPECT_EQ(alarms[0].count, 3u);
    EXPECT_EQ(alarms[0].dates, rows[0].date + " - " + rows[4].date);
    EXPECT_EQ(alarms[1].name, rows[2].event);
    EXPECT_EQ(alarms[1].count, 1u);
    EXPECT_EQ(alarms[1].dates, rows[2].date);  // one entry, one date
    EXPECT_NE(alarms[0].name, alarms[1].name);

    EXPECT_TRUE(alarmSummary(*historyWith({{1, 8, 2, 0}, {1, 9, 3, 0}})).empty());
    EXPECT_TRUE(alarmSummary(*historyWith({})).empty());
}

TEST_F(ServiceReportTest, TheReportHoldsOwnerMachineAlarmsAndEveryEventLast)
{
    const auto history = historyWith({{1, 8, 5, 3}, {2, 9, 2, 0}, {4, 11, 5, 3}});
    const ServiceReport report = serviceReport(record, *history);
    EXPECT_EQ(report.title, "Service report");
    EXPECT_NE(report.subtitle.find("Hélène Müller"), std::string::npos);
    EXPECT_NE(report.subtitle.find("20/05/2024"), std::string::npos) << report.subtitle;

    const ReportTable& owner = table(report, "Customer references");
    ASSERT_EQ(owner.rows.size(), 3u);
    EXPECT_EQ(owner.rows[0][1], "Hélène");
    EXPECT_EQ(owner.rows[2][1], "12 rue des Prés\n75000 Paris");  // no empty last line

    const ReportTable& alarms = table(report, "Alarms of this reading");
    ASSERT_EQ(alarms.rows.size(), 1u);
    EXPECT_EQ(alarms.rows[0][1], "2");
    EXPECT_EQ(alarms.header.size(), alarms.rows[0].size());

    const ReportTable& events = report.events;
    EXPECT_EQ(events.title, "History");
    ASSERT_EQ(events.rows.size(), 3u);
    for (const auto& row : events.rows)
        EXPECT_EQ(row.size(), events.header.size());
    EXPECT_EQ(events.rows[0][2], alarms.rows[0][0]);

    // The reading's lines are split into a caption and its value.
    const ReportTable& reading = table(report, "Reading");
    const auto firmware = std::find_if(reading.rows.begin(), reading.rows.end(),
                                       [](const auto& row) { return row.at(0) == "Firmware version"; });
    ASSERT_NE(firmware, reading.rows.end());
    ASSERT_EQ(firmware->size(), 2u);
    EXPECT_FALSE(firmware->at(1).empty());
    EXPECT_NE(firmware->at(1).front(), ' ');

    for (const char* title : {"Machine information", "Statistics", "Sleep hours", "Parameters and options"})
        EXPECT_FALSE(table(report, title).rows.empty()) << title;
    const ReportTable& sleep = table(report, "Sleep hours");
    EXPECT_EQ(sleep.rows.size(), 7u);  // a row per weekday
    EXPECT_EQ(sleep.header.size(), sleep.rows[0].size());
    EXPECT_EQ(report.pageNumbers, "Page %1 of %2");
}

TEST_F(ServiceReportTest, EmptyReadingsSaySo)
{
    const ServiceReport report = serviceReport(record, *historyWith({}));
    const ReportTable& alarms = table(report, "Alarms of this reading");
    EXPECT_TRUE(alarms.rows.empty());
    EXPECT_EQ(alarms.emptyText, "No alarm in this reading.");
    EXPECT_TRUE(report.events.rows.empty());
    EXPECT_EQ(report.events.emptyText, "No event in this reading.");
    // No comment, no comment table.
    EXPECT_TRUE(std::none_of(report.tables.begin(), report.tables.end(),
                             [](const ReportTable& t) { return t.title == "Comments"; }));
}

TEST_F(ServiceReportTest, TheCommentShownIsTheOneHandedInOverTheStoredOne)
{
    const auto history = historyWith({}, "stored note");
    EXPECT_EQ(table(serviceReport(record, *history), "Comments").rows.at(0).at(0), "stored note");
    const std::string memo = "typed, not yet saved";
    EXPECT_EQ(table(serviceReport(record, *history, &memo), "Comments").rows.at(0).at(0), memo);
    EXPECT_EQ(history->getComment(), "stored note");
}

TEST_F(ServiceReportTest, TextsFollowTheLanguage)
{
    TVXStringTable::instance().setLanguage(1);
    const ServiceReport french = serviceReport(record, *historyWith({{1, 8, 5, 3}}));
    EXPECT_EQ(french.title, "Rapport d'entretien");
    EXPECT_EQ(french.pageNumbers, "Page %1 sur %2");
    EXPECT_EQ(serviceReportMenuText(), "Rapport d'entretien...");
    EXPECT_EQ(table(french, "Alarmes de cette lecture").rows.size(), 1u);
    TVXStringTable::instance().setLanguage(4);
    EXPECT_EQ(serviceReport(record, *historyWith({})).title, "Servicebericht");
    EXPECT_EQ(serviceReportFilter().pattern, "*.pdf");
}

TEST_F(ServiceReportTest, TheSuggestedFileNameIsTheIdentifierAndDateOnly)
{
    const auto history = historyWith({});
    const std::string name = serviceReportFileName(record, *history);
    EXPECT_NE(name.find("2024-05-20"), std::string::npos) << name;
    EXPECT_EQ(name.substr(name.size() - 4), ".pdf");
    EXPECT_EQ(name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_."),
              std::string::npos)
        << name;
}

}  // namespace
