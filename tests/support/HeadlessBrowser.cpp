#include "HeadlessBrowser.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

HeadlessBrowser::HeadlessBrowser()
{
    if (!QFileInfo(program()).isExecutable())
        m_reason = u"Chromium is not installed (no %1)"_s.arg(program());
}

QString HeadlessBrowser::program()
{
    const QString configured = qEnvironmentVariable("ROAMLOG_CHROMIUM");
    return configured.isEmpty() ? u"/usr/bin/chromium"_s : configured;
}

QString HeadlessBrowser::dumpDom(const QUrl& address, int timeoutMs) const
{
    const auto failed = [](const QString& why) {
        qWarning("%s", qPrintable(why));
        return QString();
    };
    if (!isAvailable())
        return failed(m_reason);
    QTemporaryDir profile;
    if (!profile.isValid())
        return failed(u"no temporary profile folder: %1"_s.arg(profile.errorString()));
    // --no-sandbox because the tests may run as root; every name but 127.0.0.1 resolves to
    // nothing and the background services are off, so the browser talks to the test server only.
    const QStringList arguments = {
        u"--headless"_s, u"--no-sandbox"_s, u"--disable-gpu"_s, u"--disable-dev-shm-usage"_s,
        u"--user-data-dir="_s + profile.path(), u"--no-first-run"_s, u"--no-default-browser-check"_s,
        u"--disable-background-networking"_s, u"--disable-component-update"_s, u"--disable-sync"_s,
        u"--disable-extensions"_s, u"--disable-default-apps"_s, u"--metrics-recording-only"_s,
        u"--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1"_s, u"--virtual-time-budget=2000"_s,
        u"--dump-dom"_s, address.toString(QUrl::FullyEncoded)};
    QProcess browser;
    browser.start(program(), arguments);
    if (!browser.waitForStarted(10000))
        return failed(u"Chromium did not start: %1"_s.arg(browser.errorString()));
    if (!browser.waitForFinished(timeoutMs)) {
        browser.kill();
        browser.waitForFinished(5000);
        return failed(u"Chromium did not finish loading %1 within %2 ms"_s.arg(address.toString()).arg(timeoutMs));
    }
    const QByteArray dom = browser.readAllStandardOutput();
    if (browser.exitStatus() != QProcess::NormalExit || dom.trimmed().isEmpty()) {
        const QList<QByteArray> log = browser.readAllStandardError().trimmed().split('\n');
        return failed(u"Chromium gave no page for %1: %2"_s.arg(address.toString(),
                                                                   QString::fromLocal8Bit(log.last())));
    }
    return QString::fromUtf8(dom);
}
