#pragma once

#include "Component/PgConnection.h"
#include "Component/ServerRecordStore.h"
#include "support/RunCommand.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

// A database of its own for one test on the throwaway cluster of the build
// folder (scripts/pg-cluster.sh), with the store's tables; dropped again at
// the end, whatever connections are still open on it.
//
// ctest starts the cluster before the server tests and names its folder in
// QUORVANE_TEST_PG_DIR. A test program run by hand starts the cluster of the
// build folder itself when that is not set (ctest's cleanup stops it later,
// or scripts/pg-cluster.sh stop).
class PgTestDatabase {
public:
    // With the store's tables (ServerRecordStore::initSchema), or bare.
    enum class Schema { Made, None };

    explicit PgTestDatabase(Schema schema = Schema::Made)
    {
        name_ = uniqueName();
        uri_ = uriOf(clusterDir(), name_);
        std::string error;
        auto admin = adminConnection(error);
        if (!admin) {
            ADD_FAILURE() << "no connection to the test cluster: " << error;
            return;
        }
        // The name is this helper's own (letters, digits, underscores): the
        // one statement here whose text holds a name.
        if (!admin->command(("CREATE DATABASE " + name_).c_str(), error)) {
            ADD_FAILURE() << "CREATE DATABASE " << name_ << ": " << error;
            return;
        }
        made_ = true;
        if (schema == Schema::Made) {
            const StoreResult init = ServerRecordStore::initSchema(uri_);
            if (!init) {
                ADD_FAILURE() << "initSchema " << uri_ << ": " << init.reason;
                return;
            }
        }
        ready_ = true;
    }

    ~PgTestDatabase()
    {
        if (!made_)
            return;
        connection_.reset();
        std::string error;
        auto admin = adminConnection(error);
        if (!admin || !admin->command(("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)").c_str(), error))
            ADD_FAILURE() << "DROP DATABASE " << name_ << ": " << error;
    }

    PgTestDatabase(const PgTestDatabase&) = delete;
    PgTestDatabase& operator=(const PgTestDatabase&) = delete;

    // Made, and its tables too when asked for.
    bool ready() const { return ready_; }
    const std::string& uri() const { return uri_; }
    const std::string& name() const { return name_; }

    // A statement on this database over a connection of the test's own, as an
    // administrator would run it behind the stores' back; fails the test when
    // it does not run.
    PgResult exec(const char* sql, const std::vector<PgParam>& params = {})
    {
        if (!connection_ || !connection_->connected()) {
            std::string error;
            connection_ = PgConnection::connect(uri_, error);
            if (!connection_) {
                ADD_FAILURE() << "no connection to " << uri_ << ": " << error;
                return PgResult();
            }
        }
        PgResult result = connection_->exec(sql, params);
        if (!result.ok())
            ADD_FAILURE() << sql << ": " << result.error();
        return result;
    }
    // The first column of the first row of a query that gives one integer.
    std::int64_t integer(const char* sql, const std::vector<PgParam>& params = {})
    {
        const PgResult result = exec(sql, params);
        return result.ok() && result.rows() > 0 ? result.integer(0, 0) : -1;
    }

    // The folder of the test cluster.
    static std::string clusterDir()
    {
        if (const char* dir = std::getenv("QUORVANE_TEST_PG_DIR"); dir && *dir)
            return dir;
        static const std::string started = startClusterOf(QUORVANE_BUILD_DIR "/pg-test");
        return started;
    }
    // The URI of a database of the cluster in dir.
    static std::string uriOf(const std::string& dir, const std::string& database)
    {
        return "postgresql:///" + database + "?host=" + dir + "&user=quorvane";
    }
    // scripts/pg-cluster.sh with its arguments, as a shell command.
    static std::string clusterScript(const std::string& arguments)
    {
        return "bash '" QUORVANE_SOURCE_DIR "/scripts/pg-cluster.sh' " + arguments;
    }
    // The server's own programs (pg_ctl...), for the tests that stop a cluster.
    static std::string serverProgram(const std::string& name) { return "/usr/lib/postgresql/15/bin/" + name; }

private:
    static std::string startClusterOf(const std::string& dir)
    {
        const CommandRun run = runCommand(clusterScript("start '" + dir + "'"));
        if (run.status != 0)
            ADD_FAILURE() << "the test cluster did not start: " << run.output;
        return dir;
    }

    static std::unique_ptr<PgConnection> adminConnection(std::string& error)
    {
        return PgConnection::connect(uriOf(clusterDir(), "quorvane"), error);
    }

    // Unique across the test processes that ctest runs at once and across a
    // cluster kept from an earlier run.
    static std::string uniqueName()
    {
        static std::atomic<int> counter {0};
        static const unsigned salt = std::random_device {}();
        return "qtest_" + std::to_string(::getpid()) + "_" + std::to_string(salt % 1000000) + "_"
             + std::to_string(counter++);
    }

    std::string name_;
    std::string uri_;
    bool made_ = false;
    bool ready_ = false;
    std::unique_ptr<PgConnection> connection_;
};
