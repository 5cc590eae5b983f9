#include "settings/InstallationIdentity.h"

#include "settings/RegistrySettings.h"
#include "store/LineCodec.h"

#include <QRandomGenerator>

namespace InstallationIdentity {

namespace {

QString key()
{
    return QString::fromLatin1(LineCodec::kApplicationTitle);
}

} // namespace

QString idText(float r)
{
    const double value = double(r) * 1000000.0;
    QString text = QString::number(value, 'g', 15);
    if (text.contains(QLatin1Char('e'))) // out of the range drawn; keep the fixed form
        text = QString::number(value, 'f', 6);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    return QLatin1Char(' ') + text;
}

float drawRandomFraction()
{
    // 24 random bits make every single-precision value below 1 on the grid of 2^-24.
    const quint32 bits = QRandomGenerator::system()->generate() >> 8;
    return float(bits) / float(1u << 24);
}

QString plainRecord(const QDate& date, const QString& id)
{
    return QStringLiteral("||") + date.toString(QStringLiteral("MM-dd-yyyy")) +
           QLatin1Char('|') + id + QLatin1Char('|');
}

bool parseRecord(const QString& plain, Fields* fields)
{
    if (!plain.endsWith(QLatin1Char('|')))
        return false;
    const QStringList parts = plain.split(QLatin1Char('|'));
    // Four fields each ended by "|" leave one empty part behind the last separator.
    if (parts.size() != 5)
        return false;
    Fields read;
    for (int k = 1; k <= 4; ++k)
        read[size_t(k)] = parts.at(k - 1).trimmed();
    if (read[4].isEmpty())
        return false;
    *fields = read;
    return true;
}

Fields ReadInstallationRecord(const QString& registryKeyPath)
{
    using namespace RegistrySettings;
    Fields fields;
    const QString stored = GetRegistryValue(Root::CurrentUser, registryKeyPath,
                                            QLatin1String(kValueName));
    if (!stored.isEmpty() && parseRecord(DecodeLine(stored, key()), &fields))
        return fields;

    const QString plain = plainRecord(QDate::currentDate(), idText(drawRandomFraction()));
    SetRegistryString(Root::CurrentUser, registryKeyPath, QLatin1String(kValueName),
                      EncodeLine(plain, key()));
    parseRecord(plain, &fields);
    return fields;
}

} // namespace InstallationIdentity
