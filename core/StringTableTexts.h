#pragma once

#include "core/TVXStringTable.h"

// The constant texts behind TVXStringTable, UTF-8, one table per language in
// the order of the language index. Only the catalogue reads them.
namespace stringtable {

// TVXStringTable::MessageCount texts each.
extern const char* const* const MessageTables[TVXStringTable::LanguageCount];
// TVXStringTable::EventCount texts each.
extern const char* const* const EventTables[TVXStringTable::LanguageCount];
// TVXStringTable::AlarmBaseCount texts each: entry 0 names the cutting heads,
// entry k the alarm k + 31.
extern const char* const* const AlarmBaseTables[TVXStringTable::LanguageCount];

}  // namespace stringtable
