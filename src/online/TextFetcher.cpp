#include "online/TextFetcher.h"

#include "store/Cp1252.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace {

// Why a reply was cut short by the fetcher itself; kept on the reply until it is read.
constexpr char kCutShort[] = "roamlogCutShort";

QUrl addressToUrl(const QString& address)
{
    // Script addresses arrive percent-encoded and are taken as they stand; a link probe
    // word is whatever the user typed, so it gets the tolerant reading.
    QUrl url = QUrl::fromEncoded(address.toUtf8(), QUrl::StrictMode);
    if (!url.isValid())
        url = QUrl(address, QUrl::TolerantMode);
    return url;
}

// The errors Qt reports for an HTTP error status (4xx, 5xx) carry the server's page; every
// other error is one of the connection, a proxy or the protocol.
bool isTransferFault(QNetworkReply::NetworkError error)
{
    const bool statusError = (error >= QNetworkReply::ContentAccessDenied &&
                              error <= QNetworkReply::UnknownContentError) ||
                             (error >= QNetworkReply::InternalServerError &&
                              error <= QNetworkReply::UnknownServerError);
    return error != QNetworkReply::NoError && !statusError;
}

// Whether fewer bytes arrived than the head announced. A compressed body, which Qt unpacks,
// has a length of its own and is not compared.
bool isShorterThanAnnounced(const QNetworkReply& reply, const QByteArray& body)
{
    const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
    const QByteArray encoding = reply.rawHeader("Content-Encoding").trimmed().toLower();
    return announced.isValid() && (encoding.isEmpty() || encoding == "identity") &&
           body.size() < announced.toLongLong();
}

} // namespace

TextFetcher::TextFetcher(QObject* parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this))
{
}

TextFetcher::~TextFetcher()
{
    // A pending fetchLater request ends without its callback: its receiver may be gone.
    if (m_pending) {
        m_pending->disconnect(this);
        m_pending->abort();
    }
}

QNetworkReply* TextFetcher::startRequest(const QString& address, QString* whyNot)
{
    const QUrl url = addressToUrl(address);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty()) {
        *whyNot = QStringLiteral("not a web address");
        return nullptr;
    }
    QNetworkRequest request(url);
    QNetworkReply* reply = m_network->get(request);

    auto cutShort = [reply](const char* why) {
        if (reply->property(kCutShort).isNull())
            reply->setProperty(kCutShort, QString::fromLatin1(why));
        reply->abort();
    };
    // The cap is checked against the announced length and against what has arrived, so a
    // server that sends no length cannot fill the memory either.
    connect(reply, &QNetworkReply::downloadProgress, reply, [=](qint64 received, qint64 total) {
        if (received > kMaxBodyBytes || total > kMaxBodyBytes)
            cutShort("the reply is longer than 1 MB");
    });
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, reply, [=] { cutShort("no answer in time"); });
    timer->start(m_timeoutMs);
    return reply;
}

FetchResult TextFetcher::finish(QNetworkReply* reply)
{
    reply->deleteLater();
    if (const QVariant why = reply->property(kCutShort); !why.isNull())
        return FetchResult::failure(why.toString());
    // An error status still brings the server's page: that page is the reply. A fault of the
    // connection itself (closed early, reset, fewer bytes than announced) makes the body
    // incomplete whatever status line came before it, so the request failed.
    if (isTransferFault(reply->error()))
        return FetchResult::failure(reply->errorString());
    const QByteArray body = reply->readAll();
    if (body.size() > kMaxBodyBytes)
        return FetchResult::failure(QStringLiteral("the reply is longer than 1 MB"));
    // Qt reports the error status of a page cut off part-way rather than the cut, so the
    // length is checked as well.
    if (isShorterThanAnnounced(*reply, body))
        return FetchResult::failure(QStringLiteral("the connection closed before the whole reply arrived"));
    return FetchResult::success(Cp1252::toUnicode(body));
}

void TextFetcher::waitFor(QNetworkReply* reply)
{
    if (reply->isFinished())
        return;
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Windows keep painting and timers run; clicks and keys wait until the request is over.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

FetchResult TextFetcher::FetchText(const QString& address)
{
    if (m_fetching)
        return FetchResult::failure(QStringLiteral("another request is under way"));
    m_fetching = true;
    if (m_pending)
        waitFor(m_pending); // its own handler delivers that result and clears m_pending

    QString whyNot;
    QNetworkReply* reply = startRequest(address, &whyNot);
    FetchResult result = FetchResult::failure(whyNot);
    if (reply) {
        waitFor(reply);
        result = finish(reply);
    }
    m_fetching = false;
    return result;
}

void TextFetcher::fetchLater(const QString& address, std::function<void(const FetchResult&)> done)
{
    auto failLater = [this, done](const QString& why) {
        QTimer::singleShot(0, this, [done, why] { done(FetchResult::failure(why)); });
    };
    if (isBusy()) {
        failLater(QStringLiteral("another request is under way"));
        return;
    }
    QString whyNot;
    QNetworkReply* reply = startRequest(address, &whyNot);
    if (!reply) {
        failLater(whyNot);
        return;
    }
    m_pending = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply, done] {
        m_pending = nullptr;
        done(finish(reply));
    });
}
