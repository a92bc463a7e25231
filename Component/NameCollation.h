#pragma once

#include <string>

// A key that orders owner names as the user's locale collates them, with case
// ignored: two names that differ only in case get equal keys. Keys compare
// with the ordinary operators. The locale is the process's LC_COLLATE and
// LC_CTYPE (set by setlocale at start).
std::wstring nameSortKey(const std::string& utf8Name);
