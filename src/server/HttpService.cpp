#include "server/HttpService.h"

#include "server/HtmlPage.h"
#include "server/Pages.h"
#include "server/RequestChecks.h"
#include "server/ScriptQuery.h"

#include <QDateTime>
#include <QRegularExpression>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr std::string_view kVersionPath = "/roamlog/version.txt";
constexpr std::string_view kScriptPaths[] = {"/cgi-bin/roamlog/roamlogdb.cgi", "/cgi-bin/roamlogdb.cgi"};
constexpr std::string_view kProductPaths[] = {"/roamlog/", "/roamlog", "/"};

// A refusal that is not a token: the status, and a text that begins with none of them.
HttpReply refusal(int status, const QString& why)
{
    return {status, "text/plain; charset=utf-8", {}, (u"error: "_s + why + u"\n"_s).toStdString()};
}

HttpReply notAllowed(const char* allowed)
{
    HttpReply reply = refusal(405, u"this address takes only %1 requests"_s.arg(QLatin1String(allowed)));
    reply.headers.emplace_back("Allow", allowed);
    return reply;
}

HttpReply plainText(const QString& body)
{
    return {200, "text/plain; charset=utf-8", {}, body.toStdString()};
}

HttpReply html(const QString& page, int status = 200)
{
    return {status,
            "text/html; charset=utf-8",
            {{"Content-Security-Policy", HtmlPage::kContentSecurityPolicy},
             {"X-Content-Type-Options", "nosniff"},
             {"Referrer-Policy", "no-referrer"}},
            page.toStdString()};
}

HttpReply replyOf(const WriteOutcome& outcome, bool withIdentifier)
{
    switch (outcome.status) {
    case WriteOutcome::Status::Stored:
    case WriteOutcome::Status::AlreadyStored:
        return plainText(withIdentifier ? u"ok:"_s + outcome.identifier : u"ok"_s);
    case WriteOutcome::Status::AliasTaken:
        return plainText(u"tkn"_s);
    case WriteOutcome::Status::Banned:
        return plainText(u"ban"_s);
    case WriteOutcome::Status::TooMany:
        return refusal(429, u"too many requests from this installation; try again in an hour"_s);
    case WriteOutcome::Status::Refused:
        return refusal(400, outcome.error);
    case WriteOutcome::Status::Unavailable:
        std::fprintf(stderr, "database unavailable: %s\n", outcome.error.toLocal8Bit().constData());
        return refusal(503, u"the database cannot be reached just now; try again later"_s);
    case WriteOutcome::Status::Failed:
        break;
    }
    std::fprintf(stderr, "database error: %s\n", outcome.error.toLocal8Bit().constData());
    return refusal(500, u"the server cannot store this just now; try again later"_s);
}

template <size_t N>
bool isOneOf(std::string_view path, const std::string_view (&paths)[N])
{
    return std::find(std::begin(paths), std::end(paths), path) != std::end(paths);
}

qint64 now()
{
    return QDateTime::currentSecsSinceEpoch();
}

} // namespace

HttpService::HttpService(SharedRecordStore& store, Options options) : m_store(store), m_options(std::move(options))
{
    m_reads.setMaxThreadCount(qMax(1, m_options.threads));
    m_reads.setExpiryTimeout(-1); // a thread keeps its database connection for good
    QString problem;
    if (!m_options.atlasFolder.isEmpty() && !(m_map = CountryMap::load(m_options.atlasFolder, &problem)))
        std::fprintf(stderr, "roamlog-server: the record browser shows no map: %s\n", problem.toLocal8Bit().constData());
}

HttpService::~HttpService()
{
    m_reads.waitForDone();
}

void HttpService::handle(HttpRequest request, HttpResponder respond)
{
    const std::string_view path = request.path();
    const bool script = isOneOf(path, kScriptPaths);
    if (!script && path != kVersionPath && path != HtmlPage::kStylesheetPath && !isOneOf(path, kProductPaths))
        return respond(refusal(404, u"there is nothing at this address"_s));
    if (request.method != "GET" && request.method != "HEAD")
        return respond(notAllowed("GET, HEAD"));
    if (script)
        return this->script(request, std::move(respond));
    if (path == kVersionPath)
        return respond(plainText(m_options.currentVersion));
    if (path == HtmlPage::kStylesheetPath) {
        HttpReply style{200, "text/css; charset=utf-8", {{"Cache-Control", "max-age=3600"}},
                        HtmlPage::stylesheet().toStdString()};
        return respond(std::move(style));
    }
    respond(html(Pages::productPage(publicAddress(request))));
}

void HttpService::script(const HttpRequest& request, HttpResponder respond)
{
    const QByteArrayView query(request.query().data(), qsizetype(request.query().size()));
    const bool post = query.startsWith("path=post&");
    const bool add = !post && query.startsWith("mac=") && query.contains("&cmd=add&param=");
    if ((post || add) && request.method != "GET")
        return respond(notAllowed("GET")); // a HEAD must not store
    if (post)
        return postToForum(query, std::move(respond));
    if (add)
        return shareRecord(query, std::move(respond));
    QString problem;
    auto parameters = ScriptQuery::pageParameters(query, &problem);
    if (!parameters)
        return respond(refusal(400, problem));
    static const QStringList kPages = {u"find"_s, u"msgs"_s, u"show"_s};
    if (!kPages.contains(parameters->value(u"cmd"_s)))
        return respond(refusal(
            400, u"unknown request; the script knows path=post, cmd=add, cmd=find, cmd=msgs and cmd=show"_s));
    m_reads.start([this, parameters = std::move(*parameters), respond = std::move(respond)] {
        respond(page(parameters));
    });
}

void HttpService::shareRecord(QByteArrayView query, HttpResponder respond)
{
    const auto addition = ScriptQuery::addRecord(query);
    if (!addition)
        return respond(refusal(400, u"a record is mac=...&usr=...&cmd=add&param=..., each value percent-encoded"_s));
    QString problem = RequestChecks::problemWithAddition(*addition);
    const auto record = problem.isEmpty() ? RequestChecks::recordOfLine(addition->line, &problem) : std::nullopt;
    if (!record)
        return respond(refusal(400, problem));
    m_store.shareRecord(addition->installation, addition->alias, *record, now(),
                        [respond = std::move(respond)](WriteOutcome outcome) { respond(replyOf(outcome, true)); });
}

void HttpService::postToForum(QByteArrayView query, HttpResponder respond)
{
    const auto post = ScriptQuery::forumPost(query);
    if (!post)
        return respond(refusal(400, u"a post is path=post&param=...&usr=...&mac=...&param2=..., "
                                    "each value percent-encoded"_s));
    if (const QString problem = RequestChecks::problemWithPost(*post); !problem.isEmpty())
        return respond(refusal(400, problem));
    m_store.postToForum(post->installation, post->alias, post->text, post->stamp, now(),
                        [respond = std::move(respond)](WriteOutcome outcome) { respond(replyOf(outcome, false)); });
}

HttpReply HttpService::page(const QMap<QString, QString>& parameters)
{
    const QString command = parameters.value(u"cmd"_s);
    // A page the database could not read is no page: 503 tells caches and clients to retry.
    if (command == u"find"_s) {
        const RecordSearch search = Pages::searchOf(parameters);
        const ResultPage<SharedRecord> results = m_store.findRecords(search);
        return html(Pages::recordList(search, results, mapOfSharedRecords()), results.failed ? 503 : 200);
    }
    if (command == u"msgs"_s) {
        const int number = Pages::pageNumberOf(parameters);
        const ResultPage<ForumPost> posts = m_store.posts(number);
        return html(Pages::forum(number, posts), posts.failed ? 503 : 200);
    }
    const auto shared = m_store.recordById(parameters.value(u"id"_s));
    return shared ? html(Pages::recordPage(*shared))
                  : html(Pages::notFound(u"There is no shared record with this identifier."_s), 404);
}

QString HttpService::mapOfSharedRecords()
{
    if (!m_map)
        return {};
    const auto counts = m_store.countryCounts();
    return counts ? m_map->svg(*counts) : QString();
}

QString HttpService::publicAddress(const HttpRequest& request) const
{
    if (!m_options.publicUrl.isEmpty())
        return m_options.publicUrl;
    // A name or an address with its port, nothing else: what a client claims is shown to it.
    static const QRegularExpression hostForm(u"^([A-Za-z0-9.-]+|\\[[0-9A-Fa-f:.]+\\])(:[0-9]{1,5})?$"_s);
    const QString host = QString::fromLatin1(request.host);
    return hostForm.match(host).hasMatch() ? u"http://"_s + host + u'/' : u"http://THIS-SERVER/"_s;
}
