#include "atlas/CountryTable.h"

#include <QFile>

bool CountryTable::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return parse(file.readAll(), error);
}

bool CountryTable::parse(const QByteArray& text, QString* error)
{
    m_countries.clear();
    m_byCode.clear();
    m_byNumeric.clear();
    int lineNumber = 0;
    for (const QByteArray& line : text.split('\n')) {
        ++lineNumber;
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        Country country;
        country.code = QString::fromUtf8(fields.value(0)).trimmed().toUpper();
        bool numericOk = true;
        const QByteArray numeric = fields.value(1).trimmed();
        country.numeric = numeric.isEmpty() ? 0 : numeric.toInt(&numericOk);
        country.continent = QString::fromUtf8(fields.value(2)).trimmed();
        country.name = QString::fromUtf8(fields.value(3)).trimmed();
        const bool known = m_byCode.contains(country.code) || m_byNumeric.contains(country.numeric);
        if (fields.size() < 4 || country.code.size() != 2 || !numericOk || country.name.isEmpty() || known) {
            *error = QStringLiteral("line %1 is not a country of its own").arg(lineNumber);
            return false;
        }
        for (const QString& other : QString::fromUtf8(fields.value(4)).split(u';', Qt::SkipEmptyParts))
            country.otherNames.append(other.trimmed());
        const int index = int(m_countries.size());
        m_byCode.insert(country.code, index);
        if (country.numeric > 0)
            m_byNumeric.insert(country.numeric, index);
        m_countries.push_back(std::move(country));
    }
    return true;
}
