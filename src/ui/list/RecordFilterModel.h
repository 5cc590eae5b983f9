#pragma once

#include <QSortFilterProxyModel>
#include <QStringList>

#include <functional>

class RecordListModel;

// What the record list shows of the records: those that hold every word of the search and,
// when one is set, lie in the place the Atlas chose (a country), in the store's order. It hides rows only: it never sorts (a header click sorts the store
// itself, hidden rows included) and changes no record.
class RecordFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit RecordFilterModel(RecordListModel* records, QObject* parent = nullptr);

    // Shows only the records that hold every word of the text, ignoring letter case and
    // accents; an empty text shows every record.
    void setSearchText(const QString& text);
    bool isFiltering() const { return !m_words.isEmpty() || m_inPlace; }

    // Shows only the store rows (0-based) for which inPlace holds, as the records "in" the
    // named place; an empty function shows every record again.
    void setPlace(const QString& name, std::function<bool(int storeRow)> inPlace);
    QString placeName() const { return m_inPlace ? m_placeName : QString(); }

    // The store row of a shown row (both 0-based), or -1.
    int storeRow(int shownRow) const;
    // The shown row of a store row, or -1 when it is hidden.
    int shownRow(int storeRow) const;

signals:
    void placeChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    RecordListModel* m_records;
    QStringList m_words;
    QString m_placeName;
    std::function<bool(int)> m_inPlace;
};
