#include "Component/ChangeDescription.h"

#include "Class/RecordRows.h"

#include <cstdio>
#include <map>
#include <vector>

namespace {

std::string dateText(const TVXLogTime& d)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned(d.year), unsigned(d.month),
                  unsigned(d.day), unsigned(d.hour), unsigned(d.minute), unsigned(d.second));
    return text;
}

// The first history of each date, as the reader keeps it.
std::map<TVXLogTime, const HistoryRow*> byDate(const RecordRows& rows)
{
    std::map<TVXLogTime, const HistoryRow*> dates;
    for (const HistoryRow& h : rows.histories)
        dates.emplace(h.date, &h);
    return dates;
}

std::string joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty())
            text += separator;
        text += part;
    }
    return text;
}

}  // namespace

ChangeDescription describeChange(const RecordRows* before, const RecordRows* after)
{
    if (!before && !after)
        return {"unchanged", ""};
    if (!before)
        return {"created", std::to_string(after->histories.size()) + " histories"};
    if (!after)
        return {"removed", std::to_string(before->histories.size()) + " histories"};

    const auto old = byDate(*before);
    const auto now = byDate(*after);
    std::vector<std::string> added;
    std::vector<std::string> deleted;
    std::vector<std::string> commented;
    for (const auto& [date, history] : now) {
        const auto was = old.find(date);
        if (was == old.end())
            added.push_back(dateText(date));
        else if (was->second->comment != history->comment)
            commented.push_back(dateText(date));
    }
    for (const auto& [date, history] : old)
        if (!now.count(date))
            deleted.push_back(dateText(date));
    const bool ownerChanged = before->name != after->name || before->surname != after->surname
                              || before->address != after->address || before->typeCode != after->typeCode
                              || before->idYear != after->idYear || before->idNumber != after->idNumber
                              || before->idSuffix != after->idSuffix;

    std::vector<std::string> kinds;
    std::vector<std::string> details;
    if (!added.empty()) {
        kinds.push_back(added.size() == 1 ? "filed" : "merged");
        details.push_back("added " + joined(added, ", "));
    }
    if (!deleted.empty()) {
        kinds.push_back("deleted");
        details.push_back("deleted " + joined(deleted, ", "));
    }
    if (!commented.empty()) {
        kinds.push_back("comment");
        details.push_back("comment of " + joined(commented, ", "));
    }
    if (ownerChanged) {
        kinds.push_back("owner");
        details.push_back("owner data");
    }
    if (kinds.empty())
        return {"unchanged", ""};
    return {joined(kinds, "+"), joined(details, "; ")};
}
