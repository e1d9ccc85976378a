#pragma once
// A schema of the test's own on the test server, reached through a relay it can cut or silence;
// the schema is dropped at the end.

#include "spots/server_cut_proxy.h"

#include <QString>

#include <memory>

namespace zenthra {
struct DatabaseSettings;
}

namespace zenthra::test {

struct RelayedServer
{
    explicit RelayedServer(const char* prefix);
    ~RelayedServer();
    RelayedServer(const RelayedServer&) = delete;
    RelayedServer& operator=(const RelayedServer&) = delete;
    // Points the settings at the server through the relay.
    void aim(DatabaseSettings& settings) const;

    QString schema;
    std::unique_ptr<ServerCutProxy> proxy;
};

} // namespace zenthra::test
