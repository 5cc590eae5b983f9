#include "atlas/Gazetteer.h"

#include "atlas/NameKey.h"

#include <QFile>

bool Gazetteer::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    parse(file.readAll());
    return true;
}

void Gazetteer::parse(QByteArray text)
{
    m_text = std::move(text);
    m_lines.clear();
    m_places.clear();
    QByteArrayView lastCode;
    std::vector<std::pair<qsizetype, qsizetype>>* ranges = nullptr;
    for (qsizetype at = 0; at < m_text.size();) {
        qsizetype end = m_text.indexOf('\n', at);
        if (end < 0)
            end = m_text.size();
        const QByteArrayView line(m_text.constData() + at, end - at);
        if (line.size() > 3 && line[2] == '\t' && !line.startsWith('#')) {
            const QByteArrayView code = line.first(2);
            // The file lists a country's places together: one range each, mostly.
            if (code != lastCode) {
                ranges = &m_lines[QString::fromLatin1(code).toUpper()];
                ranges->emplace_back(at, at);
                lastCode = code;
            }
            ranges->back().second = end;
        }
        at = end + 1;
    }
}

std::optional<GeoPoint> Gazetteer::find(const QString& countryCode, const QString& name) const
{
    const QHash<QString, GeoPoint>& places = placesOf(countryCode);
    const auto found = places.constFind(NameKey::of(name));
    if (found == places.cend())
        return std::nullopt;
    return *found;
}

const QHash<QString, GeoPoint>& Gazetteer::placesOf(const QString& countryCode) const
{
    const auto known = m_places.constFind(countryCode);
    if (known != m_places.cend())
        return *known;
    QHash<QString, GeoPoint>& places = m_places[countryCode];
    for (const auto& [begin, end] : m_lines.value(countryCode)) {
        for (qsizetype at = begin; at < end;) {
            qsizetype lineEnd = m_text.indexOf('\n', at);
            if (lineEnd < 0 || lineEnd > end)
                lineEnd = end;
            const QList<QByteArray> fields = m_text.sliced(at, lineEnd - at).split('\t');
            at = lineEnd + 1;
            bool latitudeOk = false;
            bool longitudeOk = false;
            const GeoPoint point{fields.value(2).toDouble(&latitudeOk), fields.value(3).trimmed().toDouble(&longitudeOk)};
            if (fields.size() < 4 || !latitudeOk || !longitudeOk)
                continue;
            const QString key = NameKey::of(QString::fromUtf8(fields[1]));
            if (!places.contains(key))
                places.insert(key, point);
        }
    }
    return places;
}
