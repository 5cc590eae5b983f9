#include "ui/atlas/TallyChart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QValueAxis>
#include <QVBoxLayout>

TallyChart::TallyChart(const QString& title, QWidget* parent)
    : QWidget(parent), m_chart(new QChart), m_series(new QBarSeries), m_categories(new QBarCategoryAxis),
      m_values(new QValueAxis), m_text(new QLabel(this))
{
    setAccessibleName(title);
    m_chart->setTitle(title);
    m_chart->legend()->hide();
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    m_chart->addSeries(m_series);
    m_chart->addAxis(m_categories, Qt::AlignBottom);
    m_chart->addAxis(m_values, Qt::AlignLeft);
    m_series->attachAxis(m_categories);
    m_series->attachAxis(m_values);
    m_values->setLabelFormat(QStringLiteral("%d"));
    auto* view = new QChartView(m_chart, this);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(120);
    view->setAccessibleName(title);
    m_text->setObjectName(QStringLiteral("ChartText"));
    m_text->setWordWrap(true);
    m_text->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setFocusPolicy(Qt::TabFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view, 1);
    layout->addWidget(m_text);
}

void TallyChart::setBars(const Bars& bars)
{
    if (bars == m_bars)
        return;
    QStringList names;
    int most = 0;
    for (const auto& [name, records] : bars) {
        names << name;
        most = std::max(most, records);
    }
    // The same bars with other numbers are changed in place, which is much quicker for a chart
    // than new ones.
    QBarSet* set = m_series->count() == 1 ? m_series->barSets().first() : nullptr;
    if (set && names == m_categories->categories()) {
        for (qsizetype i = 0; i < bars.size(); ++i)
            if (bars[i].second != m_bars[i].second)
                set->replace(int(i), bars[i].second);
    } else {
        set = new QBarSet(m_chart->title());
        for (const auto& bar : bars)
            *set << bar.second;
        m_series->clear();
        m_series->append(set);
        m_categories->setCategories(names);
    }
    m_bars = bars;
    m_values->setRange(0, std::max(1, most));
    m_text->setText(text());
    m_text->setToolTip(text());
    m_text->setAccessibleName(m_chart->title() + QStringLiteral(": ") + text());
}

QString TallyChart::text() const
{
    QStringList parts;
    for (const auto& [name, records] : m_bars)
        parts << QStringLiteral("%1: %2").arg(name).arg(records);
    return parts.isEmpty() ? QStringLiteral("no records") : parts.join(QStringLiteral(", "));
}
