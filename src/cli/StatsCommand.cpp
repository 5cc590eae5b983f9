#include "StatsCommand.h"

#include "FolderAtlas.h"
#include "StandardStreams.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace StatsCommand {

namespace {

QJsonValue dateValue(const QDate& date)
{
    return date.isValid() ? QJsonValue(date.toString(Qt::ISODate)) : QJsonValue(QJsonValue::Null);
}

QJsonArray talliesJson(const TallyTable& table, const QString& name)
{
    QJsonArray tallies;
    for (const Tally& tally : table.sorted())
        tallies.append(QJsonObject{{name, tally.name}, {QStringLiteral("records"), tally.records}});
    return tallies;
}

QByteArray json(const FolderAtlas& atlas)
{
    const AtlasFigures& figures = *atlas.figures;
    QJsonArray countries;
    for (const int index : figures.visited()) {
        const Country& country = atlas.data->countries.at(index);
        const CountryFigures& visits = figures.country(index);
        countries.append(QJsonObject{{QStringLiteral("code"), country.code},
                                     {QStringLiteral("name"), country.name},
                                     {QStringLiteral("continent"), country.continent},
                                     {QStringLiteral("records"), visits.records},
                                     {QStringLiteral("cities"), int(visits.cities.size())},
                                     {QStringLiteral("first_visit"), dateValue(visits.firstVisit())},
                                     {QStringLiteral("last_visit"), dateValue(visits.lastVisit())}});
    }
    QJsonArray years;
    for (const auto& [year, records] : figures.years())
        years.append(QJsonObject{{QStringLiteral("year"), year}, {QStringLiteral("records"), records}});
    const QJsonObject root{
        {QStringLiteral("records"), figures.records()},
        {QStringLiteral("on_map"), QJsonObject{{QStringLiteral("countries"), figures.countriesVisited()},
                                               {QStringLiteral("cities"), figures.cities()},
                                               {QStringLiteral("records"), figures.recordsOnMap()}}},
        {QStringLiteral("countries"), countries},
        {QStringLiteral("years"), years},
        {QStringLiteral("undated"), figures.undated()},
        {QStringLiteral("types"), talliesJson(figures.types(), QStringLiteral("type"))},
        {QStringLiteral("satisfaction"), talliesJson(figures.satisfactions(), QStringLiteral("satisfaction"))},
        {QStringLiteral("not_on_map"), talliesJson(figures.notOnMap(), QStringLiteral("country"))},
        {QStringLiteral("without_country"), figures.withoutCountry()},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString dateText(const QDate& date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QStringLiteral("-");
}

QString talliesText(const TallyTable& table, const QString& empty)
{
    QStringList parts;
    for (const Tally& tally : table.sorted())
        parts << QStringLiteral("%1 %2").arg(tally.name.isEmpty() ? empty : tally.name).arg(tally.records);
    return parts.isEmpty() ? QStringLiteral("-") : parts.join(QStringLiteral(", "));
}

QString text(const FolderAtlas& atlas)
{
    const AtlasFigures& figures = *atlas.figures;
    QString out = QStringLiteral("%1 countries, %2 cities, %3 records on the map (of %4 records)\n")
                      .arg(figures.countriesVisited())
                      .arg(figures.cities())
                      .arg(figures.recordsOnMap())
                      .arg(figures.records());
    if (!figures.visited().empty())
        out += QStringLiteral("%1 %2 %3  %4  %5\n")
                   .arg(QStringLiteral("Country"), -36)
                   .arg(QStringLiteral("Records"), 7)
                   .arg(QStringLiteral("Cities"), 6)
                   .arg(QStringLiteral("First visit"), -11)
                   .arg(QStringLiteral("Last visit"));
    for (const int index : figures.visited()) {
        const Country& country = atlas.data->countries.at(index);
        const CountryFigures& visits = figures.country(index);
        out += QStringLiteral("%1 %2 %3  %4  %5\n")
                   .arg(QStringLiteral("%1 (%2)").arg(country.name, country.code), -36)
                   .arg(visits.records, 7)
                   .arg(visits.cities.size(), 6)
                   .arg(dateText(visits.firstVisit()), -11)
                   .arg(dateText(visits.lastVisit()));
    }
    QStringList years;
    for (const auto& [year, records] : figures.years())
        years << QStringLiteral("%1 %2").arg(year).arg(records);
    if (figures.undated() > 0)
        years << QStringLiteral("no date %1").arg(figures.undated());
    out += QStringLiteral("By year: %1\n").arg(years.isEmpty() ? QStringLiteral("-") : years.join(QStringLiteral(", ")));
    out += QStringLiteral("By type: %1\n").arg(talliesText(figures.types(), QStringLiteral("(none)")));
    out += QStringLiteral("By satisfaction: %1\n").arg(talliesText(figures.satisfactions(), QStringLiteral("(none)")));
    QString notOnMap = talliesText(figures.notOnMap(), QString());
    if (figures.withoutCountry() > 0)
        notOnMap = (figures.notOnMap().total() > 0 ? notOnMap + QStringLiteral(", ") : QString()) +
                   QStringLiteral("(no country) %1").arg(figures.withoutCountry());
    return out + QStringLiteral("Not on the map: %1\n").arg(notOnMap);
}

} // namespace

CommandResult run(const QString& folder, const QString& atlasFolder, bool asJson)
{
    FolderAtlas atlas;
    if (const QString why = atlas.load(folder, atlasFolder, 0); !why.isEmpty())
        return CommandResult::failure(ExitStatus::FileError, why);
    StandardStreams::writeOut(asJson ? json(atlas) : text(atlas).toUtf8());
    return CommandResult::done();
}

} // namespace StatsCommand
