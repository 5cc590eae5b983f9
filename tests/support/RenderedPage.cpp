#include "RenderedPage.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

QString unescape(const QString& text)
{
    static const QRegularExpression entity(u"&(#[0-9]+|lt|gt|amp|quot|nbsp);"_s);
    static const QMap<QString, QString> named = {
        {u"lt"_s, u"<"_s}, {u"gt"_s, u">"_s}, {u"amp"_s, u"&"_s}, {u"quot"_s, u"\""_s}, {u"nbsp"_s, u" "_s}};
    QString plain;
    qsizetype at = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        const QString name = match.captured(1);
        plain += text.mid(at, match.capturedStart() - at) +
                 (name.startsWith(u'#') ? QString(QChar(name.mid(1).toUInt())) : named.value(name));
        at = match.capturedEnd();
    }
    return plain + text.mid(at);
}

bool isHidden(const QString& name)
{
    return name == "head"_L1 || name == "script"_L1 || name == "style"_L1 || name == "title"_L1;
}

} // namespace

RenderedPage::RenderedPage(const QString& dom)
{
    static const QRegularExpression tag(
        u"<(/?)([A-Za-z][A-Za-z0-9-]*)((?:\\s+[^\\s=/>]+(?:=\"[^\"]*\")?)*)\\s*/?>|<!--.*?-->|<![^>]*>"_s,
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression attribute(u"([^\\s=/>]+)(?:=\"([^\"]*)\")?"_s);
    int hidden = 0;
    qsizetype at = 0;
    for (auto it = tag.globalMatch(dom); it.hasNext();) {
        const auto match = it.next();
        if (hidden == 0)
            m_text += unescape(dom.mid(at, match.capturedStart() - at)) + u' ';
        at = match.capturedEnd();
        const QString name = match.captured(2).toLower();
        const bool closing = !match.captured(1).isEmpty();
        if (isHidden(name))
            hidden = qMax(0, hidden + (closing ? -1 : 1));
        if (name.isEmpty() || closing) // a comment, the doctype or an end tag
            continue;
        Element element{name, {}};
        for (auto found = attribute.globalMatch(match.captured(3)); found.hasNext();) {
            const auto pair = found.next();
            element.attributes.insert(pair.captured(1).toLower(), unescape(pair.captured(2)));
        }
        m_elements.append(element);
    }
    if (hidden == 0)
        m_text += unescape(dom.mid(at));
    m_text = m_text.simplified();
}

QList<RenderedPage::Element> RenderedPage::elements(const QString& name) const
{
    QList<Element> found;
    for (const Element& element : m_elements) {
        if (element.name == name)
            found.append(element);
    }
    return found;
}

QStringList RenderedPage::eventHandlers() const
{
    QStringList handlers;
    for (const Element& element : m_elements) {
        for (auto it = element.attributes.cbegin(); it != element.attributes.cend(); ++it) {
            if (it.key().startsWith("on"_L1))
                handlers.append(element.name + u'.' + it.key());
        }
    }
    return handlers;
}
