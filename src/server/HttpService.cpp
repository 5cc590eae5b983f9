#include "server/HttpService.h"

#include "server/HtmlPage.h"
#include "server/Pages.h"
#include "server/RequestChecks.h"
#include "server/ScriptQuery.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMutex>

#include <httplib.h>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

thread_local QElapsedTimer t_requestTimer;
constexpr int kListenQueue = 1024;

std::string utf8(const QString& text)
{
    return text.toStdString();
}

QByteArrayView queryOf(const httplib::Request& request)
{
    const std::string& target = request.target;
    const size_t question = target.find('?');
    if (question == std::string::npos)
        return {};
    return QByteArrayView(target.data() + question + 1, qsizetype(target.size() - question - 1));
}

// A refusal that is not a token: the status, and a text that begins with none of them.
void refuse(httplib::Response& response, int status, const QString& why)
{
    response.status = status;
    response.set_content(utf8(u"error: "_s + why + u"\n"_s), "text/plain; charset=utf-8");
}

void reply(httplib::Response& response, const QString& text)
{
    response.set_content(utf8(text), "text/plain; charset=utf-8");
}

void html(httplib::Response& response, const QString& page, int status = 200)
{
    response.status = status;
    response.set_header("Content-Security-Policy", HtmlPage::kContentSecurityPolicy);
    response.set_header("X-Content-Type-Options", "nosniff");
    response.set_header("Referrer-Policy", "no-referrer");
    response.set_content(utf8(page), "text/html; charset=utf-8");
}

void answerWrite(httplib::Response& response, const WriteOutcome& outcome, bool withIdentifier)
{
    switch (outcome.status) {
    case WriteOutcome::Status::Stored:
    case WriteOutcome::Status::AlreadyStored:
        return reply(response, withIdentifier ? u"ok:"_s + outcome.identifier : u"ok"_s);
    case WriteOutcome::Status::AliasTaken:
        return reply(response, u"tkn"_s);
    case WriteOutcome::Status::Banned:
        return reply(response, u"ban"_s);
    case WriteOutcome::Status::TooMany:
        return refuse(response, 429, u"too many requests from this installation; try again in an hour"_s);
    case WriteOutcome::Status::Refused:
        return refuse(response, 400, outcome.error);
    case WriteOutcome::Status::Unavailable:
        std::fprintf(stderr, "database unavailable: %s\n", outcome.error.toLocal8Bit().constData());
        return refuse(response, 503, u"the database cannot be reached just now; try again later"_s);
    case WriteOutcome::Status::Failed:
        std::fprintf(stderr, "database error: %s\n", outcome.error.toLocal8Bit().constData());
        return refuse(response, 500, u"the server cannot store this just now; try again later"_s);
    }
}

qint64 now()
{
    return QDateTime::currentSecsSinceEpoch();
}

QMutex g_logLock;

} // namespace

HttpService::HttpService(SharedRecordStore& store, Options options)
    : m_store(store), m_options(std::move(options)), m_server(std::make_unique<httplib::Server>())
{
    const size_t threads = size_t(qMax(1, m_options.threads));
    m_server->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    // Slow clients are dropped after 10 s; a connection serves many requests.
    m_server->set_read_timeout(10, 0);
    m_server->set_write_timeout(10, 0);
    m_server->set_keep_alive_timeout(5);
    m_server->set_keep_alive_max_count(1000);
    m_server->set_payload_max_length(64 * 1024);
    // A reply goes out in more than one write; without this, the delayed acknowledgement of
    // the client holds each answer on a kept-alive connection for some 40 ms.
    m_server->set_tcp_nodelay(true);
    m_server->set_socket_options([this](socket_t socket) {
        httplib::default_socket_options(socket);
        m_listenSocket = std::intptr_t(socket);
    });
    m_server->set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
        t_requestTimer.start();
        return httplib::Server::HandlerResponse::Unhandled;
    });
    m_server->set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty())
            refuse(response, response.status,
                   response.status == 404   ? u"there is nothing at this address"_s
                   : response.status == 414 ? u"the address is too long"_s
                                            : u"the request cannot be served"_s);
    });
    m_server->set_logger([](const httplib::Request& request, const httplib::Response& response) {
        const qint64 ms = t_requestTimer.isValid() ? t_requestTimer.elapsed() : 0;
        t_requestTimer.invalidate();
        const QByteArray stamp = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1();
        QMutexLocker lock(&g_logLock);
        std::printf("%s %s %s %d %lldms\n", stamp.constData(), request.method.c_str(), request.path.c_str(),
                    response.status, static_cast<long long>(ms));
        std::fflush(stdout);
    });
    addRoutes();
}

HttpService::~HttpService() = default;

void HttpService::addRoutes()
{
    m_server->Get("/roamlog/version.txt", [this](const httplib::Request&, httplib::Response& response) {
        reply(response, m_options.currentVersion);
    });
    m_server->Get(HtmlPage::kStylesheetPath, [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Cache-Control", "max-age=3600");
        response.set_content(utf8(HtmlPage::stylesheet()), "text/css; charset=utf-8");
    });
    const auto product = [this](const httplib::Request&, httplib::Response& response) {
        html(response, Pages::productPage(u"http://%1:%2/"_s.arg(m_options.host).arg(m_boundPort)));
    };
    m_server->Get("/roamlog/", product);
    m_server->Get("/roamlog", product);
    m_server->Get("/", product);

    const auto script = [this](const httplib::Request& request, httplib::Response& response) {
        const QByteArrayView query = queryOf(request);
        if (query.startsWith("path=post&")) {
            const auto post = ScriptQuery::forumPost(query);
            if (!post)
                return refuse(response, 400, u"a post is path=post&param=...&usr=...&mac=...&param2=..., "
                                             "each value percent-encoded"_s);
            if (const QString problem = RequestChecks::problemWithPost(*post); !problem.isEmpty())
                return refuse(response, 400, problem);
            return answerWrite(response, m_store.postToForum(post->installation, post->alias, post->text, post->stamp, now()),
                               false);
        }
        if (query.startsWith("mac=") && query.contains("&cmd=add&param=")) {
            const auto addition = ScriptQuery::addRecord(query);
            if (!addition)
                return refuse(response, 400, u"a record is mac=...&usr=...&cmd=add&param=..., each value percent-encoded"_s);
            QString problem = RequestChecks::problemWithAddition(*addition);
            const auto record = problem.isEmpty() ? RequestChecks::recordOfLine(addition->line, &problem) : std::nullopt;
            if (!record)
                return refuse(response, 400, problem);
            return answerWrite(response, m_store.shareRecord(addition->installation, addition->alias, *record, now()),
                               true);
        }
        QString problem;
        const auto parameters = ScriptQuery::pageParameters(query, &problem);
        if (!parameters)
            return refuse(response, 400, problem);
        const QString command = parameters->value(u"cmd"_s);
        if (command == u"find"_s) {
            const RecordSearch search = Pages::searchOf(*parameters);
            return html(response, Pages::recordList(search, m_store.findRecords(search)));
        }
        if (command == u"msgs"_s) {
            const int page = Pages::pageNumberOf(*parameters);
            return html(response, Pages::forum(page, m_store.posts(page)));
        }
        if (command == u"show"_s) {
            const auto shared = m_store.recordById(parameters->value(u"id"_s));
            return shared ? html(response, Pages::recordPage(*shared))
                          : html(response, Pages::notFound(u"There is no shared record with this identifier."_s), 404);
        }
        refuse(response, 400, u"unknown request; the script knows path=post, cmd=add, cmd=find, cmd=msgs and cmd=show"_s);
    };
    m_server->Get("/cgi-bin/roamlog/roamlogdb.cgi", script);
    m_server->Get("/cgi-bin/roamlogdb.cgi", script);
}

bool HttpService::bind(QString* problem)
{
    const std::string host = utf8(m_options.host);
    if (m_options.port == 0)
        m_boundPort = m_server->bind_to_any_port(host);
    else
        m_boundPort = m_server->bind_to_port(host, m_options.port) ? m_options.port : -1;
    // The library listens with a queue of five; a burst of clients beyond that would wait
    // seconds for the kernel to retry their handshakes. Listening again widens the queue.
    if (m_boundPort > 0 && m_listenSocket != -1)
        ::listen(socket_t(m_listenSocket), kListenQueue);
    if (m_boundPort <= 0)
        *problem = u"cannot listen on %1:%2 (address in use or not of this machine)"_s.arg(m_options.host).arg(m_options.port);
    return m_boundPort > 0;
}

void HttpService::run()
{
    m_server->listen_after_bind();
}

void HttpService::stop()
{
    m_server->stop();
}
