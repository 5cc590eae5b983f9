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

FetchResult finish(QNetworkReply* reply)
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
    if (body.size() > TextFetcher::kMaxBodyBytes)
        return FetchResult::failure(QStringLiteral("the reply is longer than 1 MB"));
    // Qt reports the error status of a page cut off part-way rather than the cut, so the
    // length is checked as well.
    if (isShorterThanAnnounced(*reply, body))
        return FetchResult::failure(QStringLiteral("the connection closed before the whole reply arrived"));
    return FetchResult::success(Cp1252::toUnicode(body),
                                reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt());
}

} // namespace

TextFetcher::TextFetcher(QObject* parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

QNetworkReply* TextFetcher::startRequest(const QString& address, QString* whyNot)
{
    const QUrl url = addressToUrl(address);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty()) {
        *whyNot = QStringLiteral("not a web address");
        return nullptr;
    }
    QNetworkReply* reply = m_network->get(QNetworkRequest(url));

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

void TextFetcher::fetch(const QString& address, QObject* context, Done done)
{
    QString whyNot;
    QNetworkReply* reply = startRequest(address, &whyNot);
    if (!reply) {
        QTimer::singleShot(0, context, [done = std::move(done), whyNot] { done(FetchResult::failure(whyNot)); });
        return;
    }
    const QMetaObject::Connection delivery =
        connect(reply, &QNetworkReply::finished, context, [reply, done = std::move(done)] { done(finish(reply)); });
    // The caller no longer wants the answer: the connection is dropped now, not at the time-out.
    connect(context, &QObject::destroyed, reply, [reply, delivery] {
        QObject::disconnect(delivery);
        reply->abort();
        reply->deleteLater();
    });
}

FetchResult TextFetcher::FetchText(const QString& address)
{
    QEventLoop loop;
    FetchResult result;
    fetch(address, &loop, [&](const FetchResult& reply) {
        result = reply;
        loop.quit();
    });
    loop.exec();
    return result;
}
