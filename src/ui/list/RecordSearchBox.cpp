#include "ui/list/RecordSearchBox.h"

#include "ui/list/RecordFilterModel.h"
#include "ui/list/RecordListView.h"

#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTabWidget>

RecordSearchBox::RecordSearchBox(RecordListView* list, QWidget* scope, QWidget* parent)
    : QWidget(parent), m_list(list), m_edit(new QLineEdit(this)), m_count(new QLabel(this))
{
    setObjectName(QStringLiteral("SearchPanel"));
    m_edit->setObjectName(QStringLiteral("SearchBox"));
    m_edit->setAccessibleName(QStringLiteral("Search"));
    m_edit->setPlaceholderText(QStringLiteral("Search"));
    m_edit->setToolTip(QStringLiteral("Shows the records that hold every word typed here (Ctrl+F)"));
    m_count->setObjectName(QStringLiteral("SearchCount"));
    m_count->setTextFormat(Qt::PlainText);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_count);

    // The shortcut belongs to the window, so that it works while another tab is in front.
    auto* find = new QShortcut(QKeySequence::Find, scope);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, &RecordSearchBox::focusSearch);
    m_edit->installEventFilter(this);
    m_list->installEventFilter(this);

    RecordFilterModel* filter = m_list->filter();
    connect(m_edit, &QLineEdit::textChanged, filter, &RecordFilterModel::setSearchText);
    // Emptying the box shows every record again, also those of other places.
    connect(m_edit, &QLineEdit::textChanged, this, [filter](const QString& text) {
        if (text.isEmpty())
            filter->setPlace({}, {});
    });
    connect(filter, &RecordFilterModel::placeChanged, this, &RecordSearchBox::showCount);
    // Every change of the shown or stored rows may change the count.
    connect(filter, &QAbstractItemModel::layoutChanged, this, &RecordSearchBox::showCount);
    connect(filter, &QAbstractItemModel::modelReset, this, &RecordSearchBox::showCount);
    connect(filter, &QAbstractItemModel::rowsInserted, this, &RecordSearchBox::showCount);
    connect(filter, &QAbstractItemModel::rowsRemoved, this, &RecordSearchBox::showCount);
    QAbstractItemModel* records = filter->sourceModel();
    connect(records, &QAbstractItemModel::rowsInserted, this, &RecordSearchBox::showCount);
    connect(records, &QAbstractItemModel::rowsRemoved, this, &RecordSearchBox::showCount);
    connect(records, &QAbstractItemModel::modelReset, this, &RecordSearchBox::showCount);
    showCount();
}

QString RecordSearchBox::countText(int shown, int total, bool searching, const QString& place)
{
    const QString records = total == 1 ? QStringLiteral("record") : QStringLiteral("records");
    if (!searching)
        return QStringLiteral("%1 %2").arg(total).arg(records);
    const QString count = QStringLiteral("%1 of %2 %3").arg(shown).arg(total).arg(records);
    return place.isEmpty() ? count : count + QStringLiteral(" in ") + place;
}

bool RecordSearchBox::eventFilter(QObject* watched, QEvent* event)
{
    // Escape empties the box and shows the records of every place; when there is nothing to
    // undo it leaves the key to the window. In the list it only shows every place again.
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if (!key || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return QWidget::eventFilter(watched, event);
    RecordFilterModel* filter = m_list->filter();
    const bool inPlace = !filter->placeName().isEmpty();
    if ((watched == m_edit && (!m_edit->text().isEmpty() || inPlace)) || (watched == m_list && inPlace)) {
        event->accept();
        if (event->type() == QEvent::KeyPress) {
            if (watched == m_edit)
                m_edit->clear();
            filter->setPlace({}, {});
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void RecordSearchBox::focusSearch()
{
    // Brings the tab that holds the box to the front first: a tab's page sits in the tab
    // widget's page stack.
    for (QWidget* page = this; page; page = page->parentWidget()) {
        QWidget* stack = page->parentWidget();
        if (auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr; tabs && tabs->indexOf(page) >= 0)
            tabs->setCurrentWidget(page);
    }
    m_edit->setFocus(Qt::ShortcutFocusReason);
    m_edit->selectAll();
}

void RecordSearchBox::showCount()
{
    const RecordFilterModel* filter = m_list->filter();
    m_count->setText(countText(filter->rowCount(), filter->sourceModel()->rowCount(), filter->isFiltering(),
                               filter->placeName()));
    // A screen reader reads the count with the box, and hears it change.
    m_edit->setAccessibleDescription(m_count->text());
}
