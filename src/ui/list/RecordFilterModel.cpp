#include "ui/list/RecordFilterModel.h"

#include "ui/list/RecordListModel.h"
#include "store/TextFolding.h"

RecordFilterModel::RecordFilterModel(RecordListModel* records, QObject* parent)
    : QSortFilterProxyModel(parent), m_records(records)
{
    setSourceModel(records);
}

void RecordFilterModel::setSearchText(const QString& text)
{
    QStringList words = TextFolding::foldedWords(text);
    if (words == m_words)
        return;
    m_words = std::move(words);
    // One layout change for the whole list: removing the hidden rows range by range would
    // cost the view a signal for every gap between two matches.
    invalidate();
}

void RecordFilterModel::setPlace(const QString& name, std::function<bool(int storeRow)> inPlace)
{
    if (!inPlace && !m_inPlace)
        return;
    m_placeName = name;
    m_inPlace = std::move(inPlace);
    invalidate();
    emit placeChanged();
}

int RecordFilterModel::storeRow(int shownRow) const
{
    return mapToSource(index(shownRow, 0)).row();
}

int RecordFilterModel::shownRow(int storeRow) const
{
    return mapFromSource(m_records->index(storeRow, 0)).row();
}

bool RecordFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (sourceParent.isValid() || (m_inPlace && !m_inPlace(sourceRow)))
        return false;
    return m_words.isEmpty() || m_records->rowHoldsAll(sourceRow, m_words);
}
