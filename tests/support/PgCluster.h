#pragma once

// A throwaway PostgreSQL cluster for a window test: scripts/pg-cluster.sh in
// a temporary folder, started when asked, stopped and removed with the object.
#include "Component/PgConnection.h"
#include "Component/ServerRecordStore.h"
#include "support/RunCommand.h"

#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace pgtest {

namespace fs = std::filesystem;

inline const std::string SourceDir = QUORVANE_SOURCE_DIR;

inline std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// A throwaway cluster (scripts/pg-cluster.sh) in a folder of its own, not
// started until asked; stopped and removed with the object, so also when a
// check fails half way.
class Cluster {
public:
    Cluster()
    {
        std::string pattern = "/tmp/qv-window-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            return;
        parent_ = pattern;
        // When root, the server runs as nobody: it must reach its folder.
        ::chmod(parent_.c_str(), 0755);
    }
    ~Cluster()
    {
        stop();
        if (!parent_.empty())
            fs::remove_all(parent_);
    }
    Cluster(const Cluster&) = delete;
    Cluster& operator=(const Cluster&) = delete;

    // The socket folder: nothing there until the cluster starts.
    std::string dir() const { return parent_ + "/pg"; }
    std::string uri(const std::string& database = "quorvane") const
    {
        return "postgresql:///" + database + "?host=" + dir() + "&user=quorvane";
    }

    bool start(std::string& output)
    {
        started_ = true;  // a half-started cluster is stopped too
        const CommandRun run = runCommand("bash " + quoted(SourceDir + "/scripts/pg-cluster.sh") + " start "
                                          + quoted(dir()));
        output = run.output;
        return run.status == 0;
    }
    void stop()
    {
        if (started_)
            runCommand("bash " + quoted(SourceDir + "/scripts/pg-cluster.sh") + " stop " + quoted(dir()));
        started_ = false;
    }
    // A further database of the cluster, with the store's tables or bare.
    bool createDatabase(const std::string& name, bool withTables, std::string& error) const
    {
        auto admin = PgConnection::connect(uri(), error);
        if (!admin || !admin->command(("CREATE DATABASE " + name).c_str(), error))
            return false;
        if (!withTables)
            return true;
        const StoreResult made = ServerRecordStore::initSchema(uri(name));
        error = made.reason;
        return bool(made);
    }

private:
    std::string parent_;
    bool started_ = false;
};

}  // namespace pgtest
