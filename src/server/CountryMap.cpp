#include "server/CountryMap.h"

#include <QUrl>

using namespace Qt::StringLiterals;

std::unique_ptr<CountryMap> CountryMap::load(const QString& atlasFolder, QString* error)
{
    std::shared_ptr<AtlasData> data = AtlasData::load(atlasFolder, error, AtlasData::Shapes);
    return data ? std::unique_ptr<CountryMap>(new CountryMap(std::move(data))) : nullptr;
}

// Small: coordinates rounded to whole pixels, which keeps the page light.
CountryMap::CountryMap(std::shared_ptr<AtlasData> data) : m_data(std::move(data)), m_map(*m_data, kWidth, 1) {}

int CountryMap::countryOf(const QString& typed) const
{
    const auto known = m_countries.constFind(typed);
    if (known != m_countries.cend())
        return *known;
    const int country = m_data->matcher->match(typed);
    // Values typed at random must not fill the memory.
    if (m_countries.size() < (1 << 16))
        m_countries.insert(typed, country);
    return country;
}

QString CountryMap::svg(const QList<std::pair<QString, qint64>>& countryCounts) const
{
    std::lock_guard lock(m_lock);
    const size_t countries = size_t(m_data->countries.size());
    std::vector<int> records(countries, 0);
    std::vector<qint64> mostOfASpelling(countries, 0);
    std::vector<QString> spellings(countries);
    for (const auto& [typed, count] : countryCounts) {
        const int country = countryOf(typed);
        if (country < 0)
            continue;
        records[size_t(country)] += int(std::min<qint64>(count, 1 << 30));
        // Of spellings as frequent, the country's own name, else the first in order.
        const QString& name = m_data->countries.at(country).name;
        QString& spelling = spellings[size_t(country)];
        if (count > mostOfASpelling[size_t(country)] ||
            (count == mostOfASpelling[size_t(country)] && spelling != name && (typed == name || typed < spelling))) {
            mostOfASpelling[size_t(country)] = count;
            spelling = typed;
        }
    }
    if (records == m_lastRecords && spellings == m_lastSpellings && !m_lastSvg.isEmpty())
        return m_lastSvg;
    MapSvg::Picture picture;
    picture.records = records;
    picture.link = [&](int country) {
        return u"?cmd=find&country="_s + QString::fromLatin1(QUrl::toPercentEncoding(spellings[size_t(country)]));
    };
    m_lastSvg = m_map.render(picture);
    m_lastRecords = std::move(records);
    m_lastSpellings = std::move(spellings);
    return m_lastSvg;
}
