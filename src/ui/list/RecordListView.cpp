#include "ui/list/RecordListView.h"

#include "store/RecordColumns.h"
#include "ui/list/RecordFilterModel.h"
#include "ui/list/RecordListAccessible.h"
#include "ui/list/RecordListModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSettings>
#include <QTimer>

namespace {

constexpr char kColumnsValue[] = "ListColumns";

QSettings settings()
{
    return QSettings(QStringLiteral("Fenwary"), QStringLiteral("Roamlog"));
}

} // namespace

RecordListView::RecordListView(RecordListModel* model, QWidget* parent)
    : QTableView(parent), m_records(model), m_filter(new RecordFilterModel(model, this)), m_columnsChanged(new QTimer(this))
{
    RecordListAccessible::install(this);
    setObjectName(QStringLiteral("ListView1"));
    setAccessibleName(QStringLiteral("Records"));
    setModel(m_filter);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    // Rows of one height: the view never measures the records' texts, however many there are.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < RecordColumns::Count; ++column)
        setColumnWidth(column, RecordColumns::twipsToPixels(RecordColumns::widthTwips(column)));
    // The upload mark is the program's own bookkeeping; the user never sees it.
    setColumnHidden(RecordColumns::UploadMark, true);
    // Tab leaves the list; the arrow keys move within it.
    setTabKeyNavigation(false);
    // Columns are resized (a double click on a divider fits the contents) and moved at will,
    // and stay so: a drag is saved once it has come to rest.
    horizontalHeader()->setSectionsMovable(true);
    restoreColumns();
    m_columnsChanged->setSingleShot(true);
    m_columnsChanged->setInterval(300);
    connect(m_columnsChanged, &QTimer::timeout, this, &RecordListView::saveColumns);
    connect(horizontalHeader(), &QHeaderView::sectionResized, m_columnsChanged, qOverload<>(&QTimer::start));
    connect(horizontalHeader(), &QHeaderView::sectionMoved, m_columnsChanged, qOverload<>(&QTimer::start));
    // A header click sorts; it must not select the column as well, since Replace and Remove
    // act on the selected record.
    disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, nullptr);
    disconnect(horizontalHeader(), &QHeaderView::sectionEntered, this, nullptr);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (!m_sortGuard || !m_sortGuard())
            sortByHeader(column);
    });
}

int RecordListView::selectedRow() const
{
    if (!selectionModel())
        return -1;
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : m_filter->mapToSource(selected.first()).row();
}

void RecordListView::selectRow(int row)
{
    const int shown = m_filter->shownRow(row);
    if (shown >= 0)
        QTableView::selectRow(shown);
}

void RecordListView::sortByHeader(int column)
{
    // One order for the whole list: every header click flips it, whichever column it names.
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, m_sortOrder);
    m_records->sort(column, m_sortOrder);
}

void RecordListView::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex hit = indexAt(event->position().toPoint());
    if (!hit.isValid()) {
        // A press on empty space keeps the selection: the release then acts on it.
        setFocus(Qt::MouseFocusReason);
        return;
    }
    if (event->button() == Qt::RightButton) {
        // A right click selects the record it is on, so that the Other menu acts on it.
        setCurrentIndex(hit);
        selectionModel()->select(hit, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        QTableView::mousePressEvent(event);
    }
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        m_itemClicked = true;
}

void RecordListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (!m_itemClicked)
        return;
    if (event->button() == Qt::LeftButton)
        fillFromSelection();
    else if (event->button() == Qt::RightButton)
        emit otherMenuRequested(event->globalPosition().toPoint(), false);
}

void RecordListView::keyPressEvent(QKeyEvent* event)
{
    // From the keyboard, Enter shows the current record in the form and the menu key opens
    // the Other menu on it, as the mouse does.
    const int row = selectedRow();
    if (row >= 0 && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        emit fillFormRequested(row);
        m_itemClicked = false;
        return;
    }
    if (row >= 0 && event->key() == Qt::Key_Menu) {
        m_itemClicked = true;
        const QRect cell = visualRect(m_filter->mapFromSource(m_records->index(row, 0)));
        emit otherMenuRequested(viewport()->mapToGlobal(cell.bottomLeft()), true);
        return;
    }
    QTableView::keyPressEvent(event);
}

void RecordListView::fillFromSelection()
{
    const int row = selectedRow();
    if (row < 0)
        return; // nothing selected: ItemClicked stays set
    emit fillFormRequested(row);
    m_itemClicked = false;
}

void RecordListView::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    // Reached from the keyboard, the list has a record to act on at once; a click chooses its own.
    const Qt::FocusReason reason = event->reason();
    const bool keyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    if (!keyboard || selectionModel()->hasSelection() || model()->rowCount() == 0)
        return;
    const QModelIndex current = currentIndex().isValid() ? currentIndex() : model()->index(0, 0);
    setCurrentIndex(current);
    selectionModel()->select(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void RecordListView::hideEvent(QHideEvent* event)
{
    if (m_columnsChanged->isActive()) {
        m_columnsChanged->stop();
        saveColumns();
    }
    QTableView::hideEvent(event);
}

void RecordListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QAbstractItemView::currentChanged(current, previous);
    RecordListAccessible::announceCurrent(this, current);
}

void RecordListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    RecordListAccessible::announceSelection(this, selected.indexes().value(0), deselected.indexes().value(0));
}

void RecordListView::verticalScrollbarValueChanged(int value)
{
    QTableView::verticalScrollbarValueChanged(value);
    RecordListAccessible::announceScrolled(this);
}

void RecordListView::restoreColumns()
{
    const QByteArray state = settings().value(QLatin1String(kColumnsValue)).toByteArray();
    if (state.isEmpty() || !horizontalHeader()->restoreState(state))
        return;
    // The list opens unsorted whatever the header showed when it was saved.
    horizontalHeader()->setSortIndicatorShown(false);
    setColumnHidden(RecordColumns::UploadMark, true);
}

void RecordListView::saveColumns()
{
    settings().setValue(QLatin1String(kColumnsValue), horizontalHeader()->saveState());
}
