#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QWidget>

class QBarSeries;
class QBarCategoryAxis;
class QChart;
class QLabel;
class QValueAxis;

// One of the Atlas's bar charts (records by year, by Type, by Satisfaction), with its numbers
// also as a line of text below it, for screen readers and for copying.
class TallyChart : public QWidget
{
    Q_OBJECT

public:
    using Bars = QList<QPair<QString, int>>;

    TallyChart(const QString& title, QWidget* parent = nullptr);

    // The bars, in order; the text reads "2019: 4, 2020: 12".
    void setBars(const Bars& bars);
    QString text() const;

private:
    QChart* m_chart;
    QBarSeries* m_series;
    QBarCategoryAxis* m_categories;
    QValueAxis* m_values;
    QLabel* m_text;
    Bars m_bars;
};
