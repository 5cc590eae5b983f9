#pragma once

#include <QList>
#include <QString>

// What the record browser asks for: words in place, city and comments, exact country, type
// and satisfaction, a sort column and a page (50 rows each, counted from 0).
struct RecordSearch
{
    enum class Sort { Place, City, Country, DateVisited };
    QString words;
    QString country, type, satisfaction;
    Sort sort = Sort::Place;
    int page = 0;
    static constexpr int kPageSize = 50;
};

// One page of results; hasMore says a next page exists.
template <typename T> struct ResultPage
{
    QList<T> rows;
    bool hasMore = false;
    bool failed = false;
};
