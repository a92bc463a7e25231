#include "Component/StoreChoice.h"

#include "Component/FolderRecordStore.h"
#include "Component/ServerRecordStore.h"

bool namesServer(const std::string& database)
{
    return ServerRecordStore::isServerUri(database);
}

std::unique_ptr<RecordStore> makeRecordStore(const std::string& database)
{
    if (namesServer(database))
        return std::make_unique<ServerRecordStore>(database);
    return std::make_unique<FolderRecordStore>(database);
}
