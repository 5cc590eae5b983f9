#include "server/Pages.h"

#include "server/HtmlPage.h"

#include <QUrlQuery>

using namespace Qt::StringLiterals;
using HtmlPage::escape;

namespace Pages {

namespace {

const QString kSortNames[] = {u"place"_s, u"city"_s, u"country"_s, u"date"_s};

QString who(const QString& alias)
{
    return alias.isEmpty() ? u"anonymous"_s : alias;
}

QString when(qint64 secondsSinceEpoch)
{
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch, Qt::UTC).toString(u"yyyy-MM-dd HH:mm"_s) +
           u" UTC"_s;
}

QString encoded(const QString& value)
{
    return QString::fromLatin1(value.toUtf8().toPercentEncoding());
}

QString searchAddress(const RecordSearch& search, int page)
{
    QString address = u"?cmd=find"_s;
    const std::pair<const char*, QString> values[] = {{"q", search.words}, {"country", search.country},
                                                      {"type", search.type}, {"satisfaction", search.satisfaction}};
    for (const auto& [name, value] : values)
        if (!value.isEmpty())
            address += u"&"_s + QLatin1String(name) + u'=' + encoded(value);
    if (search.sort != RecordSearch::Sort::Place)
        address += u"&sort="_s + kSortNames[int(search.sort)];
    if (page > 0)
        address += u"&page="_s + QString::number(page + 1);
    return address;
}

QString pageLinks(int page, bool hasMore, const std::function<QString(int)>& addressOf)
{
    QString links = u"<nav class=\"pages\">"_s;
    if (page > 0)
        links += u"<a rel=\"prev\" href=\"%1\">Previous page</a>"_s.arg(escape(addressOf(page - 1)));
    links += u"<span>Page %1</span> "_s.arg(page + 1);
    if (hasMore)
        links += u"<a rel=\"next\" href=\"%1\">Next page</a>"_s.arg(escape(addressOf(page + 1)));
    return links + u"</nav>\n"_s;
}

QString input(const char* name, const char* label, const QString& value)
{
    return u"<label>%1 <input name=\"%2\" value=\"%3\"></label>"_s.arg(QLatin1String(label), QLatin1String(name),
                                                                       escape(value));
}

} // namespace

int pageNumberOf(const QMap<QString, QString>& parameters)
{
    bool ok = false;
    const int number = parameters.value(u"page"_s).toInt(&ok);
    return ok && number > 0 && number < 1000000 ? number - 1 : 0;
}

RecordSearch searchOf(const QMap<QString, QString>& parameters)
{
    RecordSearch search;
    search.words = parameters.value(u"q"_s).left(200);
    search.country = parameters.value(u"country"_s);
    search.type = parameters.value(u"type"_s);
    search.satisfaction = parameters.value(u"satisfaction"_s);
    for (int sort = 0; sort < 4; ++sort)
        if (parameters.value(u"sort"_s) == kSortNames[sort])
            search.sort = RecordSearch::Sort(sort);
    search.page = pageNumberOf(parameters);
    return search;
}

QString productPage(const QString& serverBaseUrl)
{
    return HtmlPage::page(
        u"Roamlog@ travel log"_s,
        u"<p>Roamlog@ keeps a log of the places you have been: hotels, restaurants and shops with their "
        "contact details, address, the date of your visit, what you paid, how satisfied you were and "
        "your comments. The records stay in one file on your computer; you can share them with other "
        "travellers and post suggestions to the forum.</p>\n"
        "<h2>Install</h2>\n<p>Fetch the source, then build and install:</p>\n<pre>./run.sh</pre>\n<p>(in a copy of the source: it installs what is missing, builds, installs into ~/Roamlog and starts the program)</p>\n"
        "<p>Then point the program at this server:</p>\n<pre>ROAMLOG_SERVER_URL=%1 ~/Roamlog/roamlog</pre>\n"
        "<h2>Online</h2>\n<ul><li><a href=\"/cgi-bin/roamlogdb.cgi?cmd=find\">Browse the shared records</a></li>"
        "<li><a href=\"/cgi-bin/roamlogdb.cgi?cmd=msgs\">Read the forum</a></li></ul>\n"_s.arg(escape(serverBaseUrl)));
}

QString recordList(const RecordSearch& search, const ResultPage<SharedRecord>& results, const QString& map)
{
    QString sortChoice;
    static const char* const kSortLabels[] = {"Place", "City", "Country", "Date visited"};
    for (int sort = 0; sort < 4; ++sort)
        sortChoice += u"<option value=\"%1\"%2>%3</option>"_s.arg(
            kSortNames[sort], int(search.sort) == sort ? u" selected"_s : QString(), QLatin1String(kSortLabels[sort]));
    QString body = u"<form method=\"get\" action=\"\"><input type=\"hidden\" name=\"cmd\" value=\"find\">"_s +
                   input("q", "Words", search.words) + input("country", "Country", search.country) +
                   input("type", "Type", search.type) + input("satisfaction", "Satisfaction", search.satisfaction) +
                   u"<label>Sort by <select name=\"sort\">%1</select></label><button>Search</button></form>\n"_s.arg(
                       sortChoice);
    if (!map.isEmpty())
        body += u"<figure class=\"map\">"_s + map + u"<figcaption>Where the shared records are: a country leads to its "
                                                      "records</figcaption></figure>\n"_s;
    if (results.failed)
        return HtmlPage::page(u"Shared records"_s, body + u"<p>The records cannot be read just now.</p>"_s);
    if (results.rows.isEmpty())
        body += u"<p>No shared record matches.</p>\n"_s;
    else {
        body += u"<table><thead><tr><th>Place</th><th>City</th><th>Country</th><th>Type</th><th>Satisfaction</th>"
                "<th>Cost</th><th>Date visited</th><th>Comments</th><th>Shared by</th></tr></thead><tbody>\n"_s;
        using namespace RecordColumns;
        for (const SharedRecord& shared : results.rows) {
            const TravelRecord& r = shared.record;
            body += u"<tr><td><a href=\"?cmd=show&amp;id=%1\">%2</a></td>"_s.arg(encoded(shared.identifier),
                                                                                escape(r.field(Place)));
            for (const int column : {City, Country, Type, Satisfaction, Cost, DateVisited, Comments})
                body += u"<td>"_s + escape(r.field(column)) + u"</td>"_s;
            body += u"<td>"_s + escape(who(shared.alias)) + u"</td></tr>\n"_s;
        }
        body += u"</tbody></table>\n"_s;
    }
    body += pageLinks(search.page, results.hasMore, [&](int page) { return searchAddress(search, page); });
    return HtmlPage::page(u"Shared records"_s, body);
}

QString recordPage(const SharedRecord& shared)
{
    QString body = u"<dl>"_s;
    for (int column = 0; column < RecordColumns::UploadMark; ++column)
        body += u"<dt>%1</dt><dd>%2</dd>"_s.arg(escape(RecordColumns::header(column)),
                                              escape(shared.record.field(column)));
    body += u"<dt>Shared by</dt><dd>%1</dd><dt>Shared on</dt><dd>%2</dd><dt>Identifier</dt><dd>%3</dd></dl>\n"_s.arg(
        escape(who(shared.alias)), when(shared.sharedAt), escape(shared.identifier));
    body += u"<p><a href=\"?cmd=find\">All shared records</a></p>\n"_s;
    return HtmlPage::page(shared.record.field(RecordColumns::Place), body);
}

QString forum(int page, const ResultPage<ForumPost>& posts)
{
    QString body;
    if (posts.failed)
        body = u"<p>The forum cannot be read just now.</p>"_s;
    else if (posts.rows.isEmpty())
        body = u"<p>No post yet.</p>\n"_s;
    for (const ForumPost& post : posts.rows)
        body += u"<article id=\"p-%1\"><div class=\"meta\"><b>%2</b> wrote on %3</div><p>%4</p></article>\n"_s.arg(
            escape(post.identifier), escape(post.alias), escape(post.stamp.isEmpty() ? when(post.postedAt) : post.stamp),
            escape(post.text));
    body += pageLinks(page, posts.hasMore, [](int number) {
        return number == 0 ? u"?cmd=msgs"_s : u"?cmd=msgs&page=%1"_s.arg(number + 1);
    });
    return HtmlPage::page(u"Forum"_s, body);
}

QString notFound(const QString& what)
{
    return HtmlPage::page(u"Not found"_s, u"<p>%1</p><p><a href=\"/roamlog/\">Roamlog@</a></p>"_s.arg(escape(what)));
}

} // namespace Pages
