#pragma once

#include "server/HttpExchange.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// How much a client may send and how long it may take, per connection.
struct HttpLimits
{
    size_t target = 64 * 1024;  // the request target (414 beyond)
    size_t headers = 32 * 1024; // the header lines together (431 beyond)
    size_t body = 64 * 1024;    // a request body, which no address reads (413 beyond)
    std::chrono::seconds head{10}; // from the first byte of a request to the end of it
    std::chrono::seconds idle{15}; // between the requests of a kept-alive connection
    std::chrono::seconds write{10}; // for a reply to be taken by the client
};

// One client's connection: reads its requests one after the other, hands each to the handler
// and writes its reply. It holds no thread while it waits, only its socket and buffer. Every
// operation runs on the connection's strand.
class HttpConnection : public std::enable_shared_from_this<HttpConnection>
{
public:
    // ended runs when the connection is gone.
    HttpConnection(boost::asio::ip::tcp::socket socket, const HttpHandler& handler, const HttpLimits& limits,
                   std::function<void()> ended);
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    void start();
    // From any thread: a request already received is still answered, then the connection
    // ends; an idle one ends at once.
    void stop();

private:
    using Request = boost::beast::http::request<boost::beast::http::string_body>;

    void waitForRequest();
    void readRequest();
    void onRequest(boost::beast::error_code error);
    void refuse(int status, const char* why); // answers without reading the rest, then closes
    void send(HttpReply reply);
    void onSent(boost::beast::error_code error);
    void discardInput(); // so that the client reads the refusal before it sees the close
    void close();
    HttpResponder responder();
    bool idle() const;

    boost::beast::tcp_stream m_stream;
    boost::beast::flat_buffer m_buffer;
    boost::asio::steady_timer m_idleTimer;
    std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> m_parser;
    boost::beast::http::response<boost::beast::http::string_body> m_response;
    const HttpHandler& m_handler;
    const HttpLimits& m_limits;
    std::function<void()> m_ended;
    std::string m_method, m_target; // of the request being answered, for the log
    unsigned m_version = 11;
    bool m_keepAlive = false;
    bool m_waiting = false;   // for the first byte of the next request
    bool m_stopping = false;
    bool m_refused = false;   // the rest of the request was left unread
    bool m_closed = false;
    size_t m_discarded = 0;
    std::chrono::steady_clock::time_point m_received;
};
