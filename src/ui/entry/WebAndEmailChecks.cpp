#include "ui/entry/WebAndEmailChecks.h"

#include <QFocusEvent>
#include <QLineEdit>

namespace {

constexpr int ShortestChecked = 5;

bool isPassingFocus(const QEvent* event)
{
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    // A context menu or another window taking the focus for a moment is not leaving the box.
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
}

} // namespace

WebAndEmailChecks::WebAndEmailChecks(QLineEdit* web, QLineEdit* email, QObject* parent)
    : QObject(parent), m_web(web), m_email(email)
{
    m_web->installEventFilter(this);
    m_email->installEventFilter(this);
    connect(m_web, &QLineEdit::textEdited, this, &WebAndEmailChecks::dropOfferedPrefix);
}

QString WebAndEmailChecks::webAfterEdit(const QString& text)
{
    const QString prefix = webPrefix();
    if (!text.startsWith(prefix))
        return text;
    const QStringView rest = QStringView(text).mid(prefix.size());
    if (rest.startsWith(u"http://", Qt::CaseInsensitive) || rest.startsWith(u"https://", Qt::CaseInsensitive))
        return rest.toString();
    return text;
}

void WebAndEmailChecks::dropOfferedPrefix()
{
    const QString text = m_web->text();
    const QString kept = webAfterEdit(text);
    if (kept == text)
        return;
    const int caret = m_web->cursorPosition() - int(text.size() - kept.size());
    m_web->setText(kept);
    m_web->setCursorPosition(qMax(0, caret));
}

QString WebAndEmailChecks::webOnLeaving(const QString& text)
{
    if (text.size() >= ShortestChecked && !text.contains(u'.'))
        return {};
    return text;
}

QString WebAndEmailChecks::emailOnLeaving(const QString& text)
{
    if (text.size() >= ShortestChecked && (!text.contains(u'.') || !text.contains(u'@')))
        return {};
    return text;
}

bool WebAndEmailChecks::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && watched == m_web && !isPassingFocus(event)) {
        if (m_web->text().isEmpty())
            m_web->setText(webPrefix());
    } else if (event->type() == QEvent::FocusOut && !isPassingFocus(event)) {
        if (watched == m_web) {
            const QString kept = webOnLeaving(m_web->text());
            if (kept != m_web->text())
                m_web->setText(kept);
        } else if (watched == m_email) {
            const QString kept = emailOnLeaving(m_email->text());
            if (kept != m_email->text())
                m_email->setText(kept);
        }
    }
    return QObject::eventFilter(watched, event);
}
