#include "server/RequestChecks.h"

#include "store/Cp1252.h"
#include "store/RecordColumns.h"

using namespace Qt::StringLiterals;

namespace RequestChecks {

namespace {

bool isControl(QChar ch) { return ch.category() == QChar::Other_Control; }

QString problemWithValue(const QString& what, const QString& value, int maxLength, bool required,
                         bool lineBreaks = false)
{
    if (required && value.isEmpty())
        return u"the %1 is missing"_s.arg(what);
    if (value.size() > maxLength)
        return u"the %1 is longer than %2 characters"_s.arg(what).arg(maxLength);
    for (const QChar ch : value) {
        if (isControl(ch) && !(lineBreaks && (ch == u'\r' || ch == u'\n')))
            return u"the %1 holds the control character U+%2"_s.arg(what).arg(int(ch.unicode()), 4, 16, QLatin1Char('0'));
    }
    return {};
}

QString firstProblem(std::initializer_list<QString> problems)
{
    for (const QString& problem : problems)
        if (!problem.isEmpty())
            return problem;
    return {};
}

} // namespace

QString problemWithPost(const ScriptQuery::ForumPostQuery& post)
{
    return firstProblem({problemWithValue(u"post"_s, post.text, kMaxPost, true, true),
                         problemWithValue(u"alias"_s, post.alias, kMaxAlias, true),
                         problemWithValue(u"installation ID"_s, post.installation, kMaxShortValue, true),
                         problemWithValue(u"date"_s, post.stamp, kMaxShortValue, false)});
}

QString problemWithAddition(const ScriptQuery::AddRecordQuery& addition)
{
    return firstProblem({problemWithValue(u"alias"_s, addition.alias, kMaxAlias, false),
                         problemWithValue(u"installation ID"_s, addition.installation, kMaxShortValue, true),
                         problemWithValue(u"record"_s, addition.line, kMaxLine, true)});
}

std::optional<TravelRecord> recordOfLine(const QString& line, QString* problem)
{
    const qsizetype values = line.count(u'|');
    if (values != RecordColumns::StoredCount || !line.endsWith(u'|')) {
        *problem = u"a record is %1 values, each followed by \"|\"; this one has %2"_s
                       .arg(RecordColumns::StoredCount)
                       .arg(line.endsWith(u'|') ? values : values + 1);
        return std::nullopt;
    }
    return TravelRecord::fromDecodedLine(Cp1252::fromUnicode(line));
}

} // namespace RequestChecks
