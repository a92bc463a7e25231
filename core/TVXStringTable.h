#pragma once

#include <array>
#include <cstdint>
#include <string>

// The message catalogue: 130 numbered messages, 13 event names and 67 alarm
// names in five languages (0 English, 1 French, 2 Italian, 3 Dutch, 4 German).
// Texts are UTF-8. One catalogue per process, created on first use.
class TVXStringTable {
public:
    static constexpr int LanguageCount = 5;
    static constexpr int MessageCount = 130;
    static constexpr int EventCount = 13;
    static constexpr int AlarmBaseCount = 36;
    static constexpr int AlarmCount = 67;

    static TVXStringTable& instance();
    static void releaseInstance();

    // 0..4 selects that language; any other value keeps the current one.
    // The alarm names are rebuilt in both cases.
    void setLanguage(std::uint8_t language);
    std::uint8_t getLanguage() const { return language_; }

    // "0" for a number of 130 or more.
    std::string getMessageText(std::uint16_t number) const;
    // "UNKNOW EVENT" for a code of 13 or more.
    std::string getEventName(std::uint8_t code) const;
    // "UNKNOW ALARM" for a code of 67 or more.
    std::string getAlarmName(std::uint8_t code) const;

    // Texts that later behaviour needs and the numbered catalogue lacks come as
    // one text per language, in the order of the language index; this picks the
    // selected language's.
    using LocalizedText = std::array<const char*, LanguageCount>;
    std::string localized(const LocalizedText& texts) const { return texts[language_]; }

private:
    TVXStringTable();
    void buildAlarmNames();

    std::uint8_t language_ = 1;
    const char* const* messages_ = nullptr;
    const char* const* events_ = nullptr;
    const char* const* alarmBases_ = nullptr;
    std::array<std::string, AlarmCount> alarmNames_;
};

// The selected language's text of a numbered catalogue message: the one lookup
// that every subsystem uses.
std::string catalogueText(std::uint16_t number);
