#include "Class/HistoryRender.h"
#include "Class/TextCell.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class HistoryText : public ::testing::Test {
protected:
    void SetUp() override { TVXStringTable::instance().setLanguage(0); }
    void TearDown() override { TVXStringTable::instance().setLanguage(0); }
};

TVXLog makeLog(std::uint8_t typeByte, std::uint32_t version, std::uint8_t flags = 0)
{
    TVXLog::Image image {};
    image[0] = flags;
    TVXLog log(image);
    log.setTypeByte(typeByte);
    log.setSoftwareVersion(version);
    return log;
}

std::vector<std::string> optionTexts(const TVXLog& log)
{
    std::vector<std::string> texts;
    for (const OptionLine& line : optionLines(log))
        texts.push_back(line.text + "=" + line.value);
    return texts;
}

bool hasText(const std::vector<std::string>& texts, const std::string& prefix)
{
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.rfind(prefix, 0) == 0; });
}

}  // namespace

TEST_F(HistoryText, AlarmIndexByTypeNibble)
{
    EXPECT_EQ(alarmIndex(3, 0x04), 3);
    EXPECT_EQ(alarmIndex(3, 0x35), 1);
    EXPECT_EQ(alarmIndex(3, 0x0B), 0);
    for (std::uint8_t type : {0x04, 0x05, 0x0B})
        EXPECT_EQ(alarmIndex(33, type), 33);
    const TVXStringTable& table = TVXStringTable::instance();
    HistFrame alarm {0x15, 0x06, 0x09, 0x30, 5, 3, 7, 255};
    EXPECT_EQ(eventRow(0, alarm, 0x05).event, table.getAlarmName(1));
    alarm.extra = 200;
    EXPECT_EQ(eventRow(0, alarm, 0x05).event, "UNKNOW ALARM");
    const EventRow row = eventRow(12, HistFrame {0x15, 0x06, 0x09, 0x3A, 13, 1, 2, 255}, 0x04);
    EXPECT_EQ(row.number, "12");
    EXPECT_EQ(row.date, "15/06 09:3a");
    EXPECT_EQ(row.event, "UNKNOW EVENT");
    EXPECT_EQ(row.fu2, "255");
}

TEST_F(HistoryText, CapacityPercentagesAndStatistics)
{
    TVXLog::Image image {};
    image[100] = 0x49;          // statistic 5: 0x490000
    image[80] = 0x01;           // statistic 0: 65536
    image[104] = 0x12, image[105] = 0x34, image[106] = 0x56, image[107] = 0x78;
    TVXLog log(image);
    log.setTypeByte(0x01);
    EXPECT_EQ(statisticText(log, 5), "100.00 %");
    EXPECT_EQ(statisticText(log, 0), "65536 min");
    EXPECT_EQ(statisticText(log, 2), "0");
    EXPECT_EQ(statisticText(log, 3), "0 m");
    log.setTypeByte(0x00);
    EXPECT_EQ(statisticText(log, 5), "73.74 %");     // 0x490000 of 0x630000
    EXPECT_EQ(statisticText(log, 6), "18.39 %");     // 0x123456 of 0x630000
    EXPECT_EQ(statisticText(TVXLog(TVXLog::Image {}), 6), " 0.00 %");
    // Large values overflow the width, as printf does.
    TVXLog::Image big {};
    big[100] = 0xFF, big[101] = 0xFF, big[102] = 0xFF;
    TVXLog full(big);
    full.setTypeByte(0x01);
    EXPECT_EQ(statisticText(full, 5), "350.68 %");
}

TEST_F(HistoryText, InformationLinesAndTitle)
{
    TVXLog::Image image {};
    image[1] = 9;
    image[127] = 42;
    TVXLog log(image);
    log.setTypeByte(0x09);
    log.setSoftwareVersion(0x08040902);
    log.setSerialNumber(0x0012ABCD);
    auto lines = informationLines(log);
    EXPECT_EQ(lines[InfoFirmware], "Firmware version: 0908040902");
    EXPECT_EQ(lines[InfoSerial], "SNB: 0012ABCD");
    EXPECT_EQ(lines[InfoLanguage], "Language :??????????");
    EXPECT_EQ(lines[InfoP007], "");
    log.setInfoHead({0, 6, 0, 0, 0, 0});
    EXPECT_EQ(informationLines(log)[InfoP007], "P007 : 42");
    log.setInfoHead({0, 0xFF, 0, 0, 0, 0});
    EXPECT_EQ(informationLines(log)[InfoP007], "P007 : 42");

    EXPECT_EQ(historyTitle(TVXLogTime(2008, 5, 7, 14, 5, 30)), "07/05/2008 14 h 05");
    EXPECT_EQ(sleepRangeText({48, 75, 0}), "08H00-12H30");
    EXPECT_EQ(sleepRangeText({0, 144, 0}), "00H00-24H00");
    EXPECT_EQ(sleepRangeText({255, 7, 0}), "42H30-01H10");
}

TEST_F(HistoryText, SleepRangeCellsFollowTheWeekdayBits)
{
    TVXLog::Image image {};
    image[12] = 48, image[13] = 75, image[14] = 0x01;  // bit 0 is no day
    image[15] = 6, image[16] = 12, image[17] = 0x82;   // Monday and Sunday
    const TVXLog log(image);
    for (unsigned day = 1; day <= 7; ++day)
        EXPECT_EQ(sleepRangeCell(log, 0, day), "");
    EXPECT_EQ(sleepRangeCell(log, 1, 1), "01H00-02H00");
    EXPECT_EQ(sleepRangeCell(log, 1, 7), "01H00-02H00");
    EXPECT_EQ(sleepRangeCell(log, 1, 2), "");
}

TEST_F(HistoryText, OptionLinesFollowTheSoftwareVersion)
{
    EXPECT_EQ(optionTexts(makeLog(4, 0x06052300, 0x10))[0], "O000: Fast Charge=V");
    EXPECT_EQ(optionTexts(makeLog(4, 0x06052301, 0x00))[0], "O000: Multiple Stations=-");

    // Type 9 below 0x08040901: Multiple Sferon on bit 5; from it, on bit 3.
    EXPECT_TRUE(hasText(optionTexts(makeLog(9, 0x08040900, 0x20)), "O006: Multiple Sferon=V"));
    EXPECT_TRUE(hasText(optionTexts(makeLog(9, 0x08040901, 0x20)), "O006: Multiple Sferon=-"));
    EXPECT_TRUE(hasText(optionTexts(makeLog(9, 0x08040901, 0x08)), "O006: Multiple Sferon=V"));
    EXPECT_FALSE(hasText(optionTexts(makeLog(9, 0x08040901)), "O013"));
    EXPECT_TRUE(hasText(optionTexts(makeLog(9, 0x08040902, 0x20)), "O013: U docking=V"));
    EXPECT_FALSE(hasText(optionTexts(makeLog(4, 0x08040902)), "O006"));
    EXPECT_FALSE(hasText(optionTexts(makeLog(10, 0x08040902)), "O010: Opposite"));

    const std::vector<std::string> before = {
        "O000: Multiple Stations=-", "O004: Quiet charge=-", "O008: Phase inversion=V",
        "O009: CCW return=V", "O010: Opposite Heads=-", "O011: Bidir return=-", "O012: Station Capture=-",
        "O013: U docking=-"};
    EXPECT_EQ(optionTexts(makeLog(4, 0x08071600, 0x81)), before);
    const std::vector<std::string> swapped = {
        "O000: Multiple Stations=-", "O004: Quiet charge=V", "O008: Phase inversion=-",
        "O009: Opposite Heads=V", "O010: CCW return=-", "O011: Bidir return=V", "O012: Station Capture=V",
        "O013: U docking=-"};
    EXPECT_EQ(optionTexts(makeLog(4, 0x08071601, 0x4E)), swapped);
    const auto type9 = optionTexts(makeLog(9, 0x08071601));
    EXPECT_TRUE(hasText(type9, "O010: CCW return"));
    EXPECT_FALSE(hasText(type9, "O009"));
    // The version is compared as an unsigned number.
    EXPECT_EQ(optionTexts(makeLog(4, 0xF0000000))[0], "O000: Multiple Stations=-");
}

TEST_F(HistoryText, FixedWidthCellsCountCharacters)
{
    EXPECT_EQ(fitToWidth("Ev Nb", 3), "Ev ");
    EXPECT_EQ(fitToWidth("", 3), "   ");
    EXPECT_EQ(fitToWidth("\u00E9t\u00E9", 2), "\u00E9t");
    EXPECT_EQ(fitToWidth("\u00E9t\u00E9", 5), "\u00E9t\u00E9  ");
    EXPECT_EQ(fitToWidth("\u20AC\u20AC", 1), "\u20AC");
    EXPECT_EQ(eventLine("", "", "", "", "", ""), std::string(68, ' '));
    const std::string name = "D\u00E9marrage apr\u00E8s arr\u00EAt de s\u00E9curit\u00E9 longue";
    const std::string line = eventLine("991", "15/06 09:30", name, "255", "0", "12");
    EXPECT_EQ(line, "991 15/06 09:30      D\u00E9marrage apr\u00E8s arr\u00EAt de s\u00E9curit\u00E9 l 255 0   12 ");
}

TEST_F(HistoryText, ClipboardBlockOfAHistory)
{
    TVXLog::Image image {};
    image[0] = 0x40;                                         // quiet charge
    image[28] = 0x01, image[29] = 0x08;                      // one event
    image[256] = 0x15, image[257] = 0x06, image[258] = 0x09, image[259] = 0x30;
    image[260] = 6, image[261] = 1, image[262] = 2, image[263] = 3;
    image[121] = 11, image[122] = 22;
    TVXLog log(image);
    log.setTypeByte(0x04);
    log.setSoftwareVersion(0x08071601);
    log.setSerialNumber(0x0012ABCD);
    log.setDate(TVXLogTime(2008, 5, 7, 14, 5, 30));
    const auto lines = renderHistoryText(log);
    const TVXStringTable& table = TVXStringTable::instance();

    std::vector<std::string> expected = {
        "", "Parameters and options", "Firmware version: 0408071601", "SNB: 0012ABCD",
        "Language :English", "P001 : 11", "P002 : 22", "O004: Quiet charge V", " ",
        "O000: Multiple Stations -", "O009: Opposite Heads -", "O012: Station Capture -",
        "O011: Bidir return -", "O008: Phase inversion -", "", "Statistics"};
    for (int i = 0; i < 8; ++i)
        expected.push_back(table.getMessageText(std::uint16_t(Msg::MowingTime + i)) + ": " + statisticText(log, i));
    expected.push_back("");
    expected.push_back("07/05/2008 14 h 05");
    expected.push_back("Ev  Date" + std::string(13, ' ') + "Event" + std::string(31, ' ') + "Ext FU1 FU2");
    expected.push_back(eventLine("0", "15/06 09:30", table.getEventName(6), "1", "2", "3"));
    for (int i = 0; i < 4; ++i)
        expected.push_back(std::string(68, ' '));
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(lines[16], "Mowing time: 0 min");
}
