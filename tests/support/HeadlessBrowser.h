#pragma once

#include <QString>
#include <QUrl>

// Headless Chromium for the page tests: loads one address and hands back the DOM as the
// browser built it (--dump-dom), after the page's own rules (escaping, Content-Security-Policy)
// have taken effect. The browser runs with a fresh profile and cannot reach any address but
// 127.0.0.1, so a page that refers to an outside source loads nothing from it.
class HeadlessBrowser
{
public:
    HeadlessBrowser();

    bool isAvailable() const { return m_reason.isEmpty(); }
    QString skipReason() const { return m_reason; } // one line: why no browser can run

    // The rendered DOM of the page; empty, with a warning that says why, when there is none.
    QString dumpDom(const QUrl& address, int timeoutMs = 30000) const;

    static QString program(); // ROAMLOG_CHROMIUM, else /usr/bin/chromium

private:
    QString m_reason;
};
