#include "Class/HistoryRender.h"

#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"

namespace {

// Software versions from which the option bits changed meaning or order.
constexpr std::uint32_t MultipleStationsFrom = 0x06052301;
constexpr std::uint32_t SferonOnBit3From = 0x08040901;
constexpr std::uint32_t UDockingFrom = 0x08040902;
constexpr std::uint32_t HeadsBeforeCcwFrom = 0x08071601;

}  // namespace

std::vector<OptionLine> optionLines(const TVXLog& history)
{
    const TVXStringTable& table = TVXStringTable::instance();
    const std::uint32_t version = history.getSoftwareVersion();
    const std::uint8_t flags = history.getOptionFlags();
    const std::uint8_t type = history.getTypeByte() & 0x0F;
    const bool sferonType = type == 9 || type == 10;

    std::vector<OptionLine> lines;
    auto add = [&](OptionId id, const char* prefix, std::uint16_t message, std::uint8_t bit) {
        const bool set = (flags & bit) != 0;
        lines.push_back({id, prefix + table.getMessageText(message), table.getMessageText(set ? Msg::OptionSet : Msg::OptionCleared),
                         set});
    };

    add(OptionId::StationMode, "O000: ", version >= MultipleStationsFrom ? Msg::MultipleStations : Msg::FastCharge, 0x10);
    add(OptionId::QuietCharge, "O004: ", Msg::QuietCharge, 0x40);
    if (sferonType)
        add(OptionId::MultipleSferon, "O006: ", Msg::MultipleSferon, version >= SferonOnBit3From ? 0x08 : 0x20);
    add(OptionId::PhaseInversion, "O008: ", Msg::PhaseInversion, 0x01);
    if (version >= HeadsBeforeCcwFrom) {
        if (!sferonType)
            add(OptionId::OppositeHeads, "O009: ", Msg::OppositeHeads, 0x08);
        add(OptionId::CcwReturn, "O010: ", Msg::CcwReturn, 0x80);
    } else {
        add(OptionId::CcwReturn, "O009: ", Msg::CcwReturn, 0x80);
        if (!sferonType)
            add(OptionId::OppositeHeads, "O010: ", Msg::OppositeHeads, 0x08);
    }
    add(OptionId::BidirReturn, "O011: ", Msg::BidirReturn, 0x02);
    add(OptionId::StationCapture, "O012: ", Msg::StationCapture, 0x04);
    if (version >= UDockingFrom)
        add(OptionId::UDocking, "O013: ", Msg::UDocking, 0x20);
    return lines;
}
