#pragma once

#include <vector>

// The tables of a workshop database server, version by version. A database
// carries its version in quorvane_schema; `quorvane-tool server init` brings
// it up to the newest, one step at a time, in one transaction.
namespace serverschema {

constexpr int Newest = 2;

// The statements that take a database of version `from` to `from + 1`
// (0: an empty database), the version row included; empty past Newest.
std::vector<const char*> stepFrom(int from);

// The channel on which a change of a record is announced, in the change's
// own transaction; the payload is the record's name serial in hexadecimal.
constexpr const char* ChangeChannel = "quorvane_records";

}  // namespace serverschema
