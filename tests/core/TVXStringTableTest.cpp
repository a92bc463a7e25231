#include "core/TVXStringTable.h"

#include "core/MessageNumbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::uint8_t English = 0;
constexpr std::uint8_t French = 1;
constexpr std::uint8_t Italian = 2;
constexpr std::uint8_t Dutch = 3;
constexpr std::uint8_t German = 4;

// Every test starts from a catalogue that nobody has touched yet.
class TVXStringTableTest : public ::testing::Test {
protected:
    void SetUp() override { TVXStringTable::releaseInstance(); }
    void TearDown() override { TVXStringTable::releaseInstance(); }

    static TVXStringTable& table() { return TVXStringTable::instance(); }
    static TVXStringTable& table(std::uint8_t language)
    {
        TVXStringTable::instance().setLanguage(language);
        return TVXStringTable::instance();
    }
};

// The code points of a UTF-8 text, or nothing when the bytes are not UTF-8.
std::optional<std::vector<char32_t>> decodeUtf8(const std::string& text)
{
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : -1;
        if (extra < 0 || i + extra >= text.size())
            return std::nullopt;
        char32_t point = extra == 0 ? lead : lead & (extra == 1 ? 0x1F : 0x0F);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            point = (point << 6) | (next & 0x3F);
        }
        if ((extra == 1 && point < 0x80) || (extra == 2 && point < 0x800))
            return std::nullopt;
        points.push_back(point);
        i += 1 + extra;
    }
    return points;
}

// Record files keep texts in Windows-1252: a catalogue text must fit there.
bool fitsWindows1252(char32_t point)
{
    static const std::set<char32_t> upper = { 0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
        0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178 };
    return (point >= 0x20 && point < 0x7F) || (point >= 0xA0 && point <= 0xFF) || upper.count(point) != 0;
}

void expectDisplayable(const std::string& text, const std::string& what)
{
    SCOPED_TRACE(what + ": \"" + text + "\"");
    EXPECT_FALSE(text.empty());
    const auto points = decodeUtf8(text);
    ASSERT_TRUE(points.has_value()) << "not UTF-8";
    for (char32_t point : *points)
        EXPECT_TRUE(fitsWindows1252(point)) << "U+" << std::hex << unsigned(point);
}

}  // namespace

TEST_F(TVXStringTableTest, NewCatalogueHasFrenchInPlace)
{
    EXPECT_EQ(table().getLanguage(), French);
    EXPECT_EQ(table().getMessageText(Msg::FileMenu), "Fichier");
    EXPECT_EQ(table().getEventName(0), "Début de charge");
    // The alarm names are built before anyone selects a language.
    EXPECT_EQ(table().getAlarmName(3), "Têtes de coupe 1 2");
    EXPECT_EQ(table().getAlarmName(66), "Problème de sonar");
}

TEST_F(TVXStringTableTest, ReleaseForgetsTheSelectedLanguage)
{
    table(German);
    TVXStringTable::releaseInstance();
    EXPECT_EQ(table().getLanguage(), French);
    EXPECT_EQ(table().getAlarmName(0), "Têtes de coupe");
}

TEST_F(TVXStringTableTest, NumbersBeyondTheTablesGiveFixedTexts)
{
    EXPECT_EQ(table(English).getMessageText(Msg::CopyDataMenuItem), "Copy data");
    EXPECT_EQ(table(German).getEventName(12), "Baelle enleeren");
    EXPECT_EQ(table(English).getAlarmName(66), "Sonar problem");
    for (std::uint8_t language = English; language <= German; ++language) {
        SCOPED_TRACE(int(language));
        table(language);
        EXPECT_EQ(table().getMessageText(130), "0");
        EXPECT_EQ(table().getMessageText(65535), "0");
        EXPECT_EQ(table().getEventName(13), "UNKNOW EVENT");
        EXPECT_EQ(table().getEventName(255), "UNKNOW EVENT");
        EXPECT_EQ(table().getAlarmName(67), "UNKNOW ALARM");
        EXPECT_EQ(table().getAlarmName(255), "UNKNOW ALARM");
    }
}

TEST_F(TVXStringTableTest, AlarmNamesNameTheCuttingHeadsThenTheBaseTexts)
{
    const struct {
        std::uint8_t code;
        const char* name;
    } cases[] = {
        { 0, "Cutting head" },
        { 1, "Cutting head 1" },
        { 5, "Cutting head 1 3" },
        { 6, "Cutting head 2 3" },
        { 16, "Cutting head 5" },
        { 31, "Cutting head 1 2 3 4 5" },
        { 32, "All wheels blocked" },
        { 33, "Left wheel blocked" },
        { 46, "No wire signal" },
        { 66, "Sonar problem" },
    };
    table(English);
    for (const auto& c : cases)
        EXPECT_EQ(table().getAlarmName(c.code), c.name) << int(c.code);
}

TEST_F(TVXStringTableTest, ChangingLanguageRebuildsEveryAlarmName)
{
    std::vector<std::string> english;
    for (int code = 0; code < TVXStringTable::AlarmCount; ++code)
        english.push_back(table(English).getAlarmName(static_cast<std::uint8_t>(code)));

    table(German);
    EXPECT_EQ(table().getAlarmName(21), "Schneidkopf 1 3 5");
    EXPECT_EQ(table().getAlarmName(32), "Alle Raeder blockiert");
    EXPECT_EQ(table().getAlarmName(66), "Sonar blockiert");

    table(English);
    for (int code = 0; code < TVXStringTable::AlarmCount; ++code)
        EXPECT_EQ(table().getAlarmName(static_cast<std::uint8_t>(code)), english[code]) << code;
}

TEST_F(TVXStringTableTest, UnknownLanguageKeepsTheCurrentOne)
{
    table(7);
    EXPECT_EQ(table().getLanguage(), French);
    EXPECT_EQ(table().getMessageText(Msg::FileMenu), "Fichier");
    EXPECT_EQ(table().getAlarmName(1), "Têtes de coupe 1");

    table(Dutch);
    for (std::uint8_t language : { 7, 5, 255 }) {
        table(language);
        EXPECT_EQ(table().getLanguage(), Dutch);
        EXPECT_EQ(table().getMessageText(Msg::LanguageName), "Nederlands");
        EXPECT_EQ(table().getEventName(0), "Start opladen");
        EXPECT_EQ(table().getAlarmName(2), "Snijkoppen 2");
        EXPECT_EQ(table().getAlarmName(34), "rechter wiel geblokkeerd");
    }
}

TEST_F(TVXStringTableTest, EachLanguageHasItsOwnTexts)
{
    const struct {
        std::uint8_t language;
        const char* name;     // Msg::LanguageName
        const char* exit;     // message 3
        const char* lostLink; // Msg::DownloadNoCommunication
        const char* event;    // event 5
        const char* heads;    // alarm 0
    } cases[] = {
        { English, "English", "Exit", "No communication between PC and machine", "Alarm", "Cutting head" },
        { French, "Français", "Quitter", "Communication avec la machine impossible", "Alarme",
            "Têtes de coupe" },
        { Italian, "Italiano", "Uscire", "Nessun collegamento con la macchina", "Allarme", "Testa di taglio" },
        { Dutch, "Nederlands", "Verlaten", "Onmogelijk verbinding met de machine", "alarm", "Snijkoppen" },
        { German, "Deutsch", "Bestaetigen", "Kein Ausgang bzw. Geraet gefunden", "Alarme", "Schneidkopf" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        table(c.language);
        EXPECT_EQ(table().getLanguage(), c.language);
        EXPECT_EQ(table().getMessageText(Msg::LanguageName), c.name);
        EXPECT_EQ(table().getMessageText(Msg::ExitMenuItem), c.exit);
        EXPECT_EQ(table().getMessageText(Msg::DownloadNoCommunication), c.lostLink);
        EXPECT_EQ(table().getEventName(5), c.event);
        EXPECT_EQ(table().getAlarmName(0), c.heads);
        // The history tab draws these marks whatever the language.
        EXPECT_EQ(table().getMessageText(Msg::OptionSet), "V");
        EXPECT_EQ(table().getMessageText(Msg::OptionCleared), "-");
    }
    EXPECT_EQ(table(German).getMessageText(Msg::UpgradeNoCommunication), "Kein Kommunikation PC-Geraet moeglich");
}

TEST_F(TVXStringTableTest, TextsKeepTheirSpacesAndCharacters)
{
    EXPECT_EQ(table(English).getMessageText(Msg::ConfirmDeleteHistory), "You are going to delete mower log of ");
    EXPECT_EQ(table().getMessageText(Msg::UpgradeInProgress), "Upgrade in progress\u2026");
    EXPECT_EQ(table(Dutch).getMessageText(Msg::CommunicationGroup), "Communicatie ");
    EXPECT_EQ(table().getAlarmName(47), "geen station  gevonden");
    EXPECT_EQ(table(French).getMessageText(Msg::UpgradeMenuItem), "Mise \xC3\xA0 jour");
    EXPECT_EQ(table(German).getAlarmName(60), "Beim Schließen Ballentladeklappe blockiert");
}

// Every row is there and can be shown and stored, in every language.
TEST_F(TVXStringTableTest, EveryTextIsFilledInAndFitsARecordFile)
{
    for (std::uint8_t language = English; language <= German; ++language) {
        table(language);
        const std::string lang = "language " + std::to_string(language);
        for (int n = 0; n < TVXStringTable::MessageCount; ++n) {
            const std::string text = table().getMessageText(static_cast<std::uint16_t>(n));
            EXPECT_NE(text, "0") << lang << " message " << n;
            expectDisplayable(text, lang + " message " + std::to_string(n));
            const bool spaceKept = (language == English && n == Msg::ConfirmDeleteHistory)
                                   || (language == Dutch && n == Msg::CommunicationGroup);
            if (!spaceKept && !text.empty()) {
                EXPECT_NE(text.front(), ' ') << lang << " message " << n;
                EXPECT_NE(text.back(), ' ') << lang << " message " << n;
            }
        }
        for (int code = 0; code < TVXStringTable::EventCount; ++code) {
            const std::string name = table().getEventName(static_cast<std::uint8_t>(code));
            EXPECT_NE(name, "UNKNOW EVENT");
            expectDisplayable(name, lang + " event " + std::to_string(code));
        }
        for (int code = 0; code < TVXStringTable::AlarmCount; ++code) {
            const std::string name = table().getAlarmName(static_cast<std::uint8_t>(code));
            EXPECT_NE(name, "UNKNOW ALARM");
            expectDisplayable(name, lang + " alarm " + std::to_string(code));
        }
    }
}
