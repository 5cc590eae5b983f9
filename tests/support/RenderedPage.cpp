#include "RenderedPage.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

bool isHidden(const QString& name)
{
    return name == "head"_L1 || name == "script"_L1 || name == "style"_L1 || name == "title"_L1;
}

// Elements that run inside a line of text; any other tag separates words, as a browser shows it.
bool isInline(QStringView name)
{
    static const QStringList names = {u"a"_s, u"b"_s, u"i"_s, u"em"_s, u"strong"_s, u"span"_s, u"mark"_s,
                                      u"small"_s, u"code"_s, u"abbr"_s, u"time"_s, u"label"_s, u"q"_s};
    return names.contains(name);
}

bool isRawText(const QString& name)
{
    return name == "script"_L1 || name == "style"_L1;
}

} // namespace

RenderedPage::RenderedPage(const QString& dom)
{
    qsizetype at = 0;
    while (at < dom.size()) {
        const qsizetype tag = dom.indexOf(u'<', at);
        const qsizetype textEnd = tag < 0 ? dom.size() : tag;
        if (m_hiddenDepth == 0)
            m_text += unescape(QStringView(dom).mid(at, textEnd - at));
        if (tag < 0)
            break;
        at = tag;
        readTag(dom, at);
    }
    m_text = m_text.simplified();
}

void RenderedPage::readTag(const QString& dom, qsizetype& at)
{
    if (dom.mid(at, 4) == "<!--"_L1) {
        const qsizetype end = dom.indexOf("-->"_L1, at);
        at = end < 0 ? dom.size() : end + 3;
        return;
    }
    if (dom.mid(at, 2) == "<!"_L1 || dom.mid(at, 2) == "</"_L1) {
        static const QRegularExpression endTag(u"^</([A-Za-z0-9]+)"_s);
        const auto match = endTag.match(QStringView(dom).mid(at));
        const QString closed = match.captured(1).toLower();
        if (match.hasMatch() && isHidden(closed))
            m_hiddenDepth = qMax(0, m_hiddenDepth - 1);
        if (!isInline(closed))
            m_text += u' ';
        const qsizetype end = dom.indexOf(u'>', at);
        at = end < 0 ? dom.size() : end + 1;
        return;
    }
    static const QRegularExpression name(u"\\G<([A-Za-z][A-Za-z0-9-]*)"_s);
    static const QRegularExpression attribute(u"\\G\\s+([^\\s=/>]+)(?:=\"([^\"]*)\")?"_s);
    const auto nameMatch = name.match(dom, at);
    if (!nameMatch.hasMatch()) { // a lone "<" is text
        if (m_hiddenDepth == 0)
            m_text += u'<';
        ++at;
        return;
    }
    Element element{nameMatch.captured(1).toLower(), {}};
    at = nameMatch.capturedEnd();
    for (auto match = attribute.match(dom, at); match.hasMatch(); match = attribute.match(dom, at)) {
        element.attributes.insert(match.captured(1).toLower(), unescape(match.captured(2)));
        at = match.capturedEnd();
    }
    const qsizetype end = dom.indexOf(u'>', at);
    at = end < 0 ? dom.size() : end + 1;
    if (isRawText(element.name)) { // skip the script or style text to its end tag
        const qsizetype close = dom.indexOf("</"_L1 + element.name, at, Qt::CaseInsensitive);
        at = close < 0 ? dom.size() : close;
    }
    if (isHidden(element.name))
        ++m_hiddenDepth;
    if (!isInline(element.name))
        m_text += u' ';
    m_elements.append(element);
}

QList<RenderedPage::Element> RenderedPage::elements(const QString& elementName) const
{
    QList<Element> found;
    for (const Element& element : m_elements) {
        if (element.name == elementName)
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

QString RenderedPage::unescape(QStringView text)
{
    static const QRegularExpression entity(u"&(#x[0-9A-Fa-f]+|#[0-9]+|[A-Za-z]+);"_s);
    QString plain;
    qsizetype at = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        plain += text.mid(at, match.capturedStart() - at);
        const QString name = match.captured(1);
        if (name.startsWith("#x"_L1, Qt::CaseInsensitive))
            plain += QChar(name.mid(2).toUInt(nullptr, 16));
        else if (name.startsWith(u'#'))
            plain += QChar(name.mid(1).toUInt());
        else if (name == "lt"_L1)
            plain += u'<';
        else if (name == "gt"_L1)
            plain += u'>';
        else if (name == "amp"_L1)
            plain += u'&';
        else if (name == "quot"_L1)
            plain += u'"';
        else if (name == "nbsp"_L1)
            plain += u' ';
        else
            plain += match.captured(0);
        at = match.capturedEnd();
    }
    plain += text.mid(at);
    return plain;
}
