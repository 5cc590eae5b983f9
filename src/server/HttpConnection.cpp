#include "server/HttpConnection.h"

#include "server/RequestLog.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/post.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

namespace net = boost::asio;
namespace http = boost::beast::http;
using boost::beast::error_code;

namespace {

constexpr size_t kReadSize = 4096;           // what is read at a time of what is thrown away
constexpr size_t kRequestLineFraming = 1024; // the method, the version and their separators
constexpr size_t kMostDiscarded = 4 * 1024 * 1024;
constexpr std::chrono::seconds kDiscardTime{2};

size_t headerBytes(const http::request<http::string_body>& request)
{
    size_t bytes = 0;
    for (const auto& field : request)
        bytes += field.name_string().size() + field.value().size() + 4; // ": " and CR LF
    return bytes;
}

// The target's length in a request line that the parser refused as too long; the whole
// buffer when the line has not ended.
size_t targetLengthIn(std::string_view head)
{
    const size_t start = head.find(' ');
    if (start == std::string_view::npos)
        return head.size();
    const size_t end = head.find_first_of(" \r\n", start + 1);
    return (end == std::string_view::npos ? head.size() : end) - start - 1;
}

bool isParseError(const error_code& error)
{
    return error.category() == http::make_error_code(http::error::bad_target).category() &&
           error != http::error::end_of_stream && error != http::error::partial_message;
}

} // namespace

HttpConnection::HttpConnection(net::ip::tcp::socket socket, const HttpHandler& handler, const HttpLimits& limits,
                               std::function<void()> ended)
    : m_stream(std::move(socket)),
      m_buffer(limits.target + limits.headers + kRequestLineFraming + limits.body + kReadSize),
      m_idleTimer(m_stream.get_executor()), m_handler(handler), m_limits(limits), m_ended(std::move(ended))
{
}

HttpConnection::~HttpConnection()
{
    m_ended();
}

void HttpConnection::start()
{
    net::post(m_stream.get_executor(), [self = shared_from_this()] { self->waitForRequest(); });
}

void HttpConnection::stop()
{
    net::post(m_stream.get_executor(), [self = shared_from_this()] {
        self->m_stopping = true;
        if (self->m_waiting && self->idle())
            self->close();
    });
}

bool HttpConnection::idle() const
{
    error_code ignored;
    return m_buffer.size() == 0 && m_stream.socket().available(ignored) == 0;
}

void HttpConnection::waitForRequest()
{
    if (m_buffer.size() > 0) // sent right behind the one answered
        return readRequest();
    if (m_stopping && idle())
        return close();
    m_buffer.shrink_to_fit(); // an idle connection keeps no buffer
    // Waiting for the socket to be readable leaves the bytes in it until the request is read,
    // so that a stop meanwhile can tell whether a request came.
    m_waiting = true;
    m_idleTimer.expires_after(m_limits.idle);
    m_idleTimer.async_wait([self = shared_from_this()](error_code error) {
        if (!error && self->m_waiting)
            self->close();
    });
    m_stream.socket().async_wait(net::socket_base::wait_read, [self = shared_from_this()](error_code error) {
        self->m_waiting = false;
        self->m_idleTimer.cancel();
        if (error || self->m_closed)
            return self->close();
        self->readRequest();
    });
}

void HttpConnection::readRequest()
{
    // The deadline counts from the first byte and covers the whole request, however slowly
    // it trickles in.
    m_stream.expires_after(m_limits.head);
    m_parser.emplace();
    m_parser->header_limit(std::uint32_t(m_limits.target + m_limits.headers + kRequestLineFraming));
    m_parser->body_limit(m_limits.body);
    http::async_read(m_stream, m_buffer, *m_parser,
                     [self = shared_from_this()](error_code error, size_t) { self->onRequest(error); });
}

void HttpConnection::onRequest(error_code error)
{
    m_method.clear();
    m_target.clear();
    if (error == http::error::header_limit || error == http::error::buffer_overflow) {
        const auto* bytes = static_cast<const char*>(m_buffer.data().data());
        return targetLengthIn(std::string_view(bytes, m_buffer.size())) > m_limits.target
                   ? refuse(414, "the address is too long")
                   : refuse(431, "the request's header lines are too long");
    }
    if (error == http::error::body_limit)
        return refuse(413, "the request's body is too long");
    if (isParseError(error))
        return refuse(400, "the request cannot be served");
    if (error)
        return close(); // gone, or too slow: there is nobody to answer
    Request request = m_parser->release();
    m_version = request.version();
    m_keepAlive = request.keep_alive();
    m_method = std::string(request.method_string());
    m_target = std::string(request.target());
    if (m_target.size() > m_limits.target)
        return refuse(414, "the address is too long");
    if (headerBytes(request) > m_limits.headers)
        return refuse(431, "the request's header lines are too long");
    m_received = std::chrono::steady_clock::now();
    m_stream.expires_never(); // the handler takes as long as it takes; the client waits
    m_handler(HttpRequest{m_method, m_target, std::string(request[http::field::host])}, responder());
}

HttpResponder HttpConnection::responder()
{
    // The guard keeps the event loop running while a reply is made elsewhere, even when no
    // connection has anything else to do.
    return [self = shared_from_this(), work = net::make_work_guard(m_stream.get_executor())](HttpReply reply) {
        net::post(self->m_stream.get_executor(),
                  [self, reply = std::move(reply)]() mutable { self->send(std::move(reply)); });
    };
}

void HttpConnection::refuse(int status, const char* why)
{
    m_refused = true;
    m_received = std::chrono::steady_clock::now();
    send(HttpReply{status, "text/plain; charset=utf-8", {}, std::string("error: ") + why + '\n'});
}

void HttpConnection::send(HttpReply reply)
{
    const auto took = std::chrono::steady_clock::now() - m_received;
    RequestLog::write(m_method, m_target, reply.status,
                      std::chrono::duration_cast<std::chrono::milliseconds>(took).count());
    m_response = {};
    m_response.version(m_version);
    m_response.result(unsigned(reply.status));
    m_response.set(http::field::content_type, reply.contentType);
    for (const auto& [name, value] : reply.headers)
        m_response.set(name, value);
    m_response.body() = std::move(reply.body);
    m_response.keep_alive(m_keepAlive && !m_stopping && !m_refused);
    m_response.prepare_payload();
    if (m_method == "HEAD")
        m_response.body().clear(); // the length stays that of the body a GET would get
    m_stream.expires_after(m_limits.write);
    http::async_write(m_stream, m_response,
                      [self = shared_from_this()](error_code error, size_t) { self->onSent(error); });
}

void HttpConnection::onSent(error_code error)
{
    if (error || (!m_response.keep_alive() && !m_refused))
        return close();
    if (!m_response.keep_alive()) {
        // Closing now with the rest of the request unread would reset the connection, and
        // the client could lose the reply before reading it.
        error_code ignored;
        m_stream.socket().shutdown(net::ip::tcp::socket::shutdown_send, ignored);
        m_stream.expires_after(kDiscardTime);
        return discardInput();
    }
    waitForRequest();
}

void HttpConnection::discardInput()
{
    m_buffer.consume(m_buffer.size());
    if (m_discarded > kMostDiscarded)
        return close();
    m_stream.async_read_some(m_buffer.prepare(kReadSize), [self = shared_from_this()](error_code error, size_t size) {
        self->m_discarded += size;
        self->m_buffer.commit(size);
        if (error)
            return self->close();
        self->discardInput();
    });
}

void HttpConnection::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_idleTimer.cancel();
    error_code ignored;
    m_stream.socket().shutdown(net::ip::tcp::socket::shutdown_both, ignored);
    m_stream.close();
}
