#include "server/HttpServer.h"

#include "server/ConnectionsPerAddress.h"
#include "server/HttpConnection.h"
#include "server/RequestLog.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/write.hpp>

#include <sys/resource.h>

#include <mutex>
#include <thread>
#include <unordered_map>

namespace net = boost::asio;
using net::ip::tcp;
using boost::system::error_code;

using namespace Qt::StringLiterals;

namespace {

constexpr int kListenQueue = 1024;

// Every connection is a file; the soft limit (often 1,024) would turn clients away long
// before the machine must.
void raiseOpenFileLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

struct HttpServer::Loop
{
    Options options;
    HttpHandler handler;
    HttpLimits limits;
    net::io_context io;
    tcp::acceptor acceptor{net::make_strand(io)};
    net::steady_timer pause{acceptor.get_executor()};
    ConnectionsPerAddress perAddress;
    std::mutex liveLock;
    std::unordered_map<std::uint64_t, std::weak_ptr<HttpConnection>> live; // by their number
    std::uint64_t lastId = 0;
    bool stopping = false; // on the acceptor's strand, as accept() and admit()

    Loop(Options given, HttpHandler givenHandler)
        : options(std::move(given)), handler(std::move(givenHandler)), perAddress(options.connectionsPerAddress)
    {
        limits.head = std::chrono::seconds(options.requestSeconds);
    }

    void accept()
    {
        acceptor.async_accept(net::make_strand(io), [this](error_code error, tcp::socket socket) {
            if (!error) // also when the stop came after this client was taken
                admit(std::move(socket));
            if (stopping || error == net::error::operation_aborted)
                return;
            if (error) { // out of files, most likely: try again a little later
                pause.expires_after(std::chrono::milliseconds(100));
                return pause.async_wait([this](error_code waited) {
                    if (!waited)
                        accept();
                });
            }
            accept();
        });
    }

    void admit(tcp::socket socket)
    {
        error_code error;
        const std::string address = socket.remote_endpoint(error).address().to_string();
        if (error)
            return;
        if (!perAddress.admit(address))
            return refuse(std::move(socket));
        socket.set_option(tcp::no_delay(true), error); // a reply goes out in more than one write
        const std::uint64_t id = ++lastId;
        auto connection = std::make_shared<HttpConnection>(std::move(socket), handler, limits, [this, address, id] {
            perAddress.release(address);
            std::lock_guard guard(liveLock);
            live.erase(id);
        });
        {
            std::lock_guard guard(liveLock);
            live.emplace(id, connection);
        }
        connection->start();
        if (stopping)
            connection->stop();
    }

    // A fresh socket takes a short reply without waiting, whatever the client does.
    static void refuse(tcp::socket socket)
    {
        static constexpr std::string_view kReply =
            "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: 54\r\n"
            "Connection: close\r\n\r\nerror: too many connections from this address just now\n";
        error_code ignored;
        socket.non_blocking(true, ignored);
        net::write(socket, net::buffer(kReply), ignored);
        socket.shutdown(tcp::socket::shutdown_both, ignored);
        RequestLog::write({}, {}, 503, 0);
    }

    void stopAll()
    {
        stopping = true;
        // Clients that connected before the stop may have sent their requests already: they
        // are taken from the queue and answered too.
        error_code error;
        acceptor.non_blocking(true, error);
        while (!error) {
            tcp::socket socket(net::make_strand(io));
            if (!acceptor.accept(socket, error))
                admit(std::move(socket));
        }
        error_code ignored;
        acceptor.close(ignored);
        pause.cancel();
        std::vector<std::shared_ptr<HttpConnection>> connections;
        {
            std::lock_guard guard(liveLock);
            for (const auto& [key, connection] : live)
                if (auto alive = connection.lock())
                    connections.push_back(std::move(alive));
        }
        for (const auto& connection : connections)
            connection->stop();
    }
};

HttpServer::HttpServer(Options options, HttpHandler handler)
    : m_loop(std::make_unique<Loop>(std::move(options), std::move(handler)))
{
}

HttpServer::~HttpServer() = default;

bool HttpServer::listen(QString* problem)
{
    raiseOpenFileLimit();
    const Options& options = m_loop->options;
    const auto failed = [&](const error_code& error) {
        *problem = u"cannot listen on %1:%2: %3"_s.arg(options.host).arg(options.port).arg(
            QString::fromStdString(error.message()));
        return false;
    };
    error_code error;
    tcp::resolver resolver(m_loop->io);
    const auto found = resolver.resolve(options.host.toStdString(), std::to_string(options.port),
                                        tcp::resolver::passive | tcp::resolver::numeric_service, error);
    if (error)
        return failed(error);
    tcp::acceptor& acceptor = m_loop->acceptor;
    const tcp::endpoint endpoint = found.begin()->endpoint();
    // Only the address of a closed socket may be used again at once; a port that another
    // server listens on is refused, so that two servers never split the clients between them.
    acceptor.open(endpoint.protocol(), error);
    if (!error)
        acceptor.set_option(tcp::acceptor::reuse_address(true), error);
    if (!error)
        acceptor.bind(endpoint, error);
    if (!error)
        acceptor.listen(kListenQueue, error);
    if (error) {
        error_code ignored;
        acceptor.close(ignored);
        return failed(error);
    }
    return true;
}

int HttpServer::port() const
{
    error_code error;
    const tcp::endpoint endpoint = m_loop->acceptor.local_endpoint(error);
    return error ? -1 : endpoint.port();
}

void HttpServer::run()
{
    m_loop->accept();
    std::vector<std::thread> others;
    for (int i = 1; i < m_loop->options.threads; ++i)
        others.emplace_back([this] { m_loop->io.run(); });
    m_loop->io.run();
    for (std::thread& thread : others)
        thread.join();
}

void HttpServer::stop()
{
    net::post(m_loop->acceptor.get_executor(), [this] { m_loop->stopAll(); });
}
