#include "server/HtmlPage.h"

using namespace Qt::StringLiterals;

namespace HtmlPage {

QString escape(const QString& text)
{
    QString escaped = text.toHtmlEscaped(); // & < > "
    escaped.replace(u'\'', u"&#39;"_s);
    return escaped;
}

QString page(const QString& title, const QString& body)
{
    return u"<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
           "<title>%1</title><link rel=\"stylesheet\" href=\"%2\"></head>\n<body><header>"
           "<a class=\"home\" href=\"/roamlog/\">Roamlog@</a> <a href=\"/cgi-bin/roamlogdb.cgi?cmd=find\">Records</a> "
           "<a href=\"/cgi-bin/roamlogdb.cgi?cmd=msgs\">Forum</a></header>\n<main><h1>%1</h1>\n%3</main></body></html>\n"_s
        .arg(escape(title), QString::fromLatin1(kStylesheetPath), body);
}

QString stylesheet()
{
    return uR"(body { margin: 0; font: 16px/1.5 system-ui, sans-serif; color: #222; background: #fafafa; }
header { background: #20506e; padding: .5em 1em; }
header a { color: #fff; margin-right: 1em; text-decoration: none; }
header a.home { font-weight: bold; }
main { max-width: 60em; margin: 0 auto; padding: 1em; }
table { border-collapse: collapse; width: 100%; }
th, td { text-align: left; padding: .3em .5em; border-bottom: 1px solid #ddd; vertical-align: top; }
form { display: flex; flex-wrap: wrap; gap: .5em; margin-bottom: 1em; }
input, select, button { font: inherit; padding: .2em .4em; }
article { background: #fff; border: 1px solid #ddd; border-radius: 4px; padding: .5em 1em; margin: .5em 0; }
article p { white-space: pre-wrap; overflow-wrap: anywhere; }
.meta { color: #666; font-size: .9em; }
pre { background: #eee; padding: .5em; overflow-x: auto; }
dl { display: grid; grid-template-columns: max-content 1fr; gap: .2em 1em; }
dt { font-weight: bold; }
nav.pages a { margin-right: 1em; }
figure.map { margin: 0 0 1em; } figure.map svg { width: 100%; max-width: 40em; height: auto; display: block; }
figure.map a:hover path, figure.map a:focus path { fill-opacity: .75; }
@media (max-width: 40em) {
  table, tbody, tr, td { display: block; } thead { display: none; }
  tr { border-bottom: 2px solid #ccc; padding: .3em 0; } td { border: 0; padding: .1em .5em; }
}
)"_s;
}

} // namespace HtmlPage
