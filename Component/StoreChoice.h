#pragma once

#include "Component/RecordStore.h"

#include <memory>
#include <string>

// The store of a database named by the dealer or on a command line: a
// postgresql:// URI is a server, anything else a folder.
std::unique_ptr<RecordStore> makeRecordStore(const std::string& database);
bool namesServer(const std::string& database);
