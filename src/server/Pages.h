#pragma once

#include "server/SharedRecordStore.h"

#include <QString>

// The pages of the server, as HTML text. Links between them are relative to the script's
// address, so the pages work under "cgi-bin/" and "cgi-bin/roamlog/" alike.
namespace Pages {

QString productPage(const QString& serverBaseUrl);
// map: the world map of the shared records (inline SVG), shown above the results.
QString recordList(const RecordSearch& search, const ResultPage<SharedRecord>& results, const QString& map = {});
QString recordPage(const SharedRecord& shared);
QString forum(int page, const ResultPage<ForumPost>& posts);
QString notFound(const QString& what);

// The search of a page address's parameters ("q", "country", "type", "satisfaction",
// "sort", "page").
RecordSearch searchOf(const QMap<QString, QString>& parameters);
int pageNumberOf(const QMap<QString, QString>& parameters);

} // namespace Pages
