#include "Component/FolderIndex.h"

#include <dirent.h>

namespace {

std::string lowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

void FolderIndex::load()
{
    names_.clear();
    byLowerName_.clear();
    exactNames_.clear();
    loaded_ = true;
    DIR* dir = ::opendir(folder_.empty() ? "/" : folder_.c_str());
    readable_ = dir != nullptr;
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        names_.push_back(name);
        byLowerName_.emplace(lowerAscii(name), name);
    }
    ::closedir(dir);
    exactNames_.reserve(names_.size());
    for (const std::string& name : names_)
        exactNames_.insert(name);
}

std::optional<std::string> FolderIndex::find(const std::string& name)
{
    if (!loaded_)
        load();
    // The name itself first: a folder may hold it in two cases.
    if (exactNames_.count(name))
        return name;
    const auto it = byLowerName_.find(lowerAscii(name));
    if (it == byLowerName_.end())
        return std::nullopt;
    return it->second;
}

bool FolderIndex::readable()
{
    if (!loaded_)
        load();
    return readable_;
}

const std::vector<std::string>& FolderIndex::names()
{
    if (!loaded_)
        load();
    return names_;
}
