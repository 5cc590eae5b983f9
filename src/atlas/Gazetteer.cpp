#include "atlas/Gazetteer.h"

#include "atlas/NameKey.h"

#include <QFile>

#include <algorithm>

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

Gazetteer::Fields Gazetteer::fieldsAt(qsizetype line) const
{
    const QByteArrayView text(m_text);
    qsizetype end = m_text.indexOf('\n', line);
    if (end < 0)
        end = m_text.size();
    const qsizetype name = line + 3;
    const qsizetype latitude = m_text.indexOf('\t', name) + 1;
    const qsizetype longitude = latitude > 0 ? m_text.indexOf('\t', latitude) + 1 : 0;
    if (latitude <= 0 || longitude <= 0 || longitude > end)
        return {};
    return {text.sliced(name, latitude - 1 - name), text.sliced(latitude, longitude - 1 - latitude),
            text.sliced(longitude, end - longitude).trimmed()};
}

void Gazetteer::parse(QByteArray text)
{
    m_text = std::move(text);
    m_places.clear();
    QByteArrayView lastCode;
    std::vector<Entry>* entries = nullptr;
    for (qsizetype at = 0; at < m_text.size();) {
        qsizetype end = m_text.indexOf('\n', at);
        if (end < 0)
            end = m_text.size();
        const QByteArrayView line(m_text.constData() + at, end - at);
        const Fields fields = line.size() > 3 && line[2] == '\t' && !line.startsWith('#') ? fieldsAt(at) : Fields{};
        if (!fields.name.isEmpty()) {
            const QByteArrayView code = line.first(2);
            if (code != lastCode) {
                entries = &m_places[QString::fromLatin1(code).toUpper()];
                lastCode = code;
            }
            entries->push_back({qHash(NameKey::of(QString::fromUtf8(fields.name))), at});
        }
        at = end + 1;
    }
    for (std::vector<Entry>& places : m_places)
        std::sort(places.begin(), places.end());
}

std::optional<GeoPoint> Gazetteer::find(const QString& countryCode, const QString& name) const
{
    const auto country = m_places.constFind(countryCode);
    if (country == m_places.cend())
        return std::nullopt;
    const QString key = NameKey::of(name);
    const size_t hash = qHash(key);
    // The entries of one hash in the file's order; a hash names the key, the line confirms it.
    auto it = std::lower_bound(country->begin(), country->end(), Entry{hash, -1});
    for (; it != country->end() && it->hash == hash; ++it) {
        const Fields fields = fieldsAt(it->line);
        if (NameKey::of(QString::fromUtf8(fields.name)) != key)
            continue;
        bool latitudeOk = false;
        bool longitudeOk = false;
        const GeoPoint point{fields.latitude.toDouble(&latitudeOk), fields.longitude.toDouble(&longitudeOk)};
        if (latitudeOk && longitudeOk)
            return point;
    }
    return std::nullopt;
}
