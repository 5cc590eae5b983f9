#include "ui/entry/PlaceLinkField.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>

namespace {

constexpr int ShortestAfterDot = 3;

} // namespace

PlaceLinkField::PlaceLinkField(QLineEdit* place, QWidget* frame, ShellOpen open, QObject* parent)
    : QObject(parent), m_place(place), m_frame(frame), m_open(std::move(open)), m_textCursor(place->cursor())
{
    m_place->setMouseTracking(true);
    m_frame->setMouseTracking(true);
    m_place->installEventFilter(this);
    m_frame->installEventFilter(this);
}

bool PlaceLinkField::isLink() const
{
    return m_place->font().underline();
}

bool PlaceLinkField::isAddressLike(const QString& text)
{
    const qsizetype dot = text.indexOf(u'.');
    return dot >= 0 && text.size() - dot - 1 >= ShortestAfterDot;
}

std::optional<QUrl> PlaceLinkField::webAddressFor(const QString& text)
{
    const QString address = text.trimmed();
    if (address.isEmpty() || address.contains(u'\\'))
        return std::nullopt;
    for (const QChar ch : address) {
        if (ch.isSpace() || ch.unicode() < 32)
            return std::nullopt;
    }
    const qsizetype schemeEnd = address.indexOf(QLatin1String("://"));
    const QString full = schemeEnd < 0 ? QStringLiteral("http://") + address : address;
    const QUrl url(full, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;
    if (url.host().isEmpty())
        return std::nullopt;
    return url;
}

void PlaceLinkField::showAsLink()
{
    QFont font = m_place->font();
    font.setUnderline(true);
    m_place->setFont(font);
    QPalette palette = m_place->palette();
    palette.setColor(QPalette::Text, linkColour());
    m_place->setPalette(palette);
    m_place->setCursor(Qt::ArrowCursor);
}

void PlaceLinkField::showAsText()
{
    QFont font = m_place->font();
    font.setUnderline(false);
    m_place->setFont(font);
    // Back to the colours of the system.
    m_place->setPalette(QPalette());
    m_place->setCursor(m_textCursor);
}

bool PlaceLinkField::isFrameBackground(const QPoint& pos) const
{
    // Captions and the frames around controls pass for controls; only the bare form counts.
    for (QWidget* under = m_frame->childAt(pos); under != nullptr && under != m_frame;
         under = under->parentWidget()) {
        if (under->focusPolicy() != Qt::NoFocus || under->isWindow())
            return false;
    }
    return true;
}

bool PlaceLinkField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_place) {
        if (event->type() == QEvent::MouseMove) {
            if (!isLink() && isAddressLike(m_place->text()))
                showAsLink();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && isLink() && !m_place->text().isEmpty()) {
                if (const auto url = webAddressFor(m_place->text()))
                    m_open(*url);
            }
        }
    } else if (watched == m_frame && event->type() == QEvent::MouseMove) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (isLink() && isFrameBackground(mouse->position().toPoint()))
            showAsText();
    }
    return QObject::eventFilter(watched, event);
}
