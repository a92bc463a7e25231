#include "Component/MowerFilter.h"

#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/TDBMower.h"

#include <algorithm>
#include <cstdint>

namespace {

// Base letters of U+00C0..U+00FF (lower case); '\0' where none (× ÷), a
// two-letter folding is handled apart.
constexpr char latin1Base[64 + 1] = "aaaaaaaceeeeiiiidnooooo\0ouuuuyts"
                                    "aaaaaaaceeeeiiiidnooooo\0ouuuuyty";

char extendedABase(std::uint32_t cp)
{
    // Ranges of Latin Extended-A by base letter.
    struct Range {
        std::uint32_t first, last;
        char base;
    };
    static constexpr Range ranges[] = {
        {0x100, 0x105, 'a'}, {0x106, 0x10D, 'c'}, {0x10E, 0x111, 'd'}, {0x112, 0x11B, 'e'},
        {0x11C, 0x123, 'g'}, {0x124, 0x127, 'h'}, {0x128, 0x131, 'i'}, {0x134, 0x135, 'j'},
        {0x136, 0x138, 'k'}, {0x139, 0x142, 'l'}, {0x143, 0x14B, 'n'}, {0x14C, 0x151, 'o'},
        {0x154, 0x159, 'r'}, {0x15A, 0x161, 's'}, {0x162, 0x167, 't'}, {0x168, 0x173, 'u'},
        {0x174, 0x175, 'w'}, {0x176, 0x178, 'y'}, {0x179, 0x17E, 'z'}, {0x17F, 0x17F, 's'},
    };
    for (const Range& r : ranges)
        if (cp >= r.first && cp <= r.last)
            return r.base;
    return '\0';
}

void appendFolded(std::string& out, std::uint32_t cp, std::string_view original)
{
    if (cp == 0xDF) {
        out += "ss";
    } else if (cp == 0xC6 || cp == 0xE6) {
        out += "ae";
    } else if (cp == 0x152 || cp == 0x153) {
        out += "oe";
    } else if (cp == 0x132 || cp == 0x133) {
        out += "ij";
    } else if (cp >= 0xC0 && cp <= 0xFF && latin1Base[cp - 0xC0] != '\0') {
        out += latin1Base[cp - 0xC0];
    } else if (const char base = cp >= 0x100 && cp <= 0x17F ? extendedABase(cp) : '\0'; base != '\0') {
        out += base;
    } else {
        out += original;
    }
}

std::string withoutDashes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '-')
            out += c;
    return out;
}

}  // namespace

std::string foldForSearch(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
            ++i;
            continue;
        }
        // Two-byte sequences cover U+0080..U+07FF, all the letters folded here.
        if ((byte & 0xE0) == 0xC0 && i + 1 < utf8.size()
            && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            const std::uint32_t cp = ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            appendFolded(out, cp, utf8.substr(i, 2));
            i += 2;
            continue;
        }
        out += static_cast<char>(byte);
        ++i;
    }
    return out;
}

bool newestHistoryHasAlarms(const TVXMowerLog& record)
{
    const auto& logs = record.logs();
    if (logs.empty() || !logs.rbegin()->second)
        return false;
    return logs.rbegin()->second->holdsAlarm();
}

MowerSearchKey searchKeyOf(const TDBMower& mower)
{
    const TVXOwner& owner = mower.GetOwner();
    MowerSearchKey key;
    std::string all;
    for (const std::string* part : {&owner.getName(), &owner.getSurname(), &owner.getAddress(),
                                    &mower.GetNameText(), &mower.GetMachineIdText(), &mower.GetSerialText()}) {
        all += *part;
        all += '\n';  // no typed text holds a line feed: matches never span two fields
    }
    key.text = foldForSearch(all);
    key.idDashless = withoutDashes(foldForSearch(mower.GetMachineIdText()));
    key.alarms = mower.NewestHasAlarms();
    return key;
}

void MowerFilter::Set(std::string_view text, bool alarmsOnly)
{
    // Blanks around the typed text are not part of it.
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    query_ = first == std::string_view::npos ? std::string() : foldForSearch(text.substr(first, last - first + 1));
    queryDashless_ = withoutDashes(query_);
    alarmsOnly_ = alarmsOnly;
}

bool MowerFilter::Matches(const MowerSearchKey& key) const
{
    if (alarmsOnly_ && !key.alarms)
        return false;
    if (query_.empty())
        return true;
    return key.text.find(query_) != std::string::npos
           || (!queryDashless_.empty() && key.idDashless.find(queryDashless_) != std::string::npos);
}
