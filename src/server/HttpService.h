#pragma once

#include "server/SharedRecordStore.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace httplib {
class Server;
}

// The HTTP side of the server: the addresses, the replies and the request log. A request is
// read and checked here, handed to one storage call, and its answer rendered.
class HttpService
{
public:
    struct Options
    {
        QString host = QStringLiteral("127.0.0.1");
        int port = 8080;
        QString currentVersion;
        int threads = 64; // one for each open connection: a keep-alive client holds its thread
    };

    HttpService(SharedRecordStore& store, Options options);
    ~HttpService();

    // Binds the address; false with *problem set when that fails. port() is then known.
    bool bind(QString* problem);
    int port() const { return m_boundPort; }
    // Serves until stop() is called (from any thread); requests in flight are finished.
    void run();
    void stop();

private:
    void addRoutes();

    SharedRecordStore& m_store;
    Options m_options;
    std::unique_ptr<httplib::Server> m_server;
    int m_boundPort = -1;
    std::intptr_t m_listenSocket = -1; // the listening socket, kept to widen its queue
};
