#include "online/VersionCheck.h"

#include "settings/ProgramValues.h"

namespace VersionCheck {

QString programVersionText()
{
    return QStringLiteral("%1.%2.%3")
        .arg(ProgramValues::kVersionMajor)
        .arg(ProgramValues::kVersionMinor)
        .arg(ProgramValues::kVersionRevision);
}

double programNumber()
{
    return (QString::number(ProgramValues::kVersionMajor) +
            QString::number(ProgramValues::kVersionMinor) +
            QString::number(ProgramValues::kVersionRevision))
        .toDouble();
}

double serverNumber(const QString& reply)
{
    QString text = reply;
    text.remove(u' ').remove(u'\t').remove(u'\n');
    // The longest start made of digits with at most one decimal point.
    qsizetype length = 0;
    bool point = false;
    while (length < text.size()) {
        const QChar ch = text.at(length);
        if (ch == u'.' && !point)
            point = true;
        else if (!(ch >= u'0' && ch <= u'9'))
            break;
        ++length;
    }
    bool ok = false;
    const double number = text.left(length).toDouble(&ok);
    return ok ? number : 0.0;
}

QString resultText(const FetchResult& reply)
{
    // Only a 2xx answer is the version file, and that holds at most 3 characters: anything
    // longer is a page of some other kind.
    if (!reply.succeeded() || reply.text.size() > 3)
        return QStringLiteral("Remote server not found");
    if (serverNumber(reply.text) > programNumber())
        return QStringLiteral("There is a new version");
    return QStringLiteral("This version is current");
}

} // namespace VersionCheck
