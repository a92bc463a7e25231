#include "Class/HistoryRender.h"

#include "Class/TextCell.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"

#include <algorithm>

namespace {

constexpr int TrailingEmptyRows = 4;

// "text value", or a single blank for an option this history does not have.
std::string optionText(const std::vector<OptionLine>& lines, OptionId id)
{
    const auto found = std::find_if(lines.begin(), lines.end(), [id](const OptionLine& l) { return l.id == id; });
    if (found == lines.end())
        return " ";
    return found->text + " " + found->value;
}

}  // namespace

std::string eventLine(const std::string& c0, const std::string& c1, const std::string& c2,
                      const std::string& c3, const std::string& c4, const std::string& c5)
{
    return fitToWidth(c0, 3) + " " + fitToWidth(c1, 15) + "  " + fitToWidth(c2, 35) + " " +
           fitToWidth(c3, 3) + " " + fitToWidth(c4, 3) + " " + fitToWidth(c5, 3);
}

std::vector<std::string> renderHistoryText(const TVXLog& history)
{
    const TVXStringTable& table = TVXStringTable::instance();
    std::vector<std::string> lines;

    const auto info = informationLines(history);
    const auto options = optionLines(history);
    lines.emplace_back();
    lines.push_back(table.getMessageText(Msg::ParametersAndOptions));
    lines.push_back(info[InfoFirmware]);
    lines.push_back(info[InfoSerial]);
    lines.push_back(info[InfoLanguage]);
    lines.push_back(info[InfoP001]);
    lines.push_back(info[InfoP002]);
    for (OptionId id : {OptionId::QuietCharge, OptionId::MultipleSferon, OptionId::StationMode,
                        OptionId::OppositeHeads, OptionId::StationCapture, OptionId::BidirReturn,
                        OptionId::PhaseInversion})
        lines.push_back(optionText(options, id));

    lines.emplace_back();
    lines.push_back(table.getMessageText(Msg::Statistics));
    for (std::size_t i = 0; i < TVXLog::StatisticCount; ++i)
        lines.push_back(statisticLabel(i) + ": " + statisticText(history, i));

    lines.emplace_back();
    lines.push_back(historyTitle(history.getDate()));
    lines.push_back(eventLine("Ev Nb", "Date", "Event", "ExtraB", "FU1", "FU2"));
    for (const EventRow& row : eventRows(history))
        lines.push_back(eventLine(row.number, row.date, row.event, row.extra, row.fu1, row.fu2));
    for (int i = 0; i < TrailingEmptyRows; ++i)
        lines.push_back(eventLine("", "", "", "", "", ""));
    return lines;
}
