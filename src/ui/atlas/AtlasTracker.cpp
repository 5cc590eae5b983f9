#include "ui/atlas/AtlasTracker.h"

#include "atlas/AtlasData.h"
#include "store/RecordStore.h"
#include "ui/list/RecordListModel.h"

AtlasTracker::AtlasTracker(RecordListModel* model, const RecordStore& store, QObject* parent)
    : QObject(parent), m_model(model), m_store(store)
{
}

void AtlasTracker::start(std::shared_ptr<AtlasData> data)
{
    if (m_data || !data)
        return;
    m_data = std::move(data);
    m_reader.emplace(*m_data);
    rebuild();
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { inserted(first, last); });
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { removing(first, last); });
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) { replaced(from.row(), to.row()); });
    connect(m_model, &QAbstractItemModel::modelReset, this, &AtlasTracker::rebuild);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &AtlasTracker::rebuild);
}

int AtlasTracker::countryOfRow(int row)
{
    return m_reader && row >= 0 && row < m_store.rowCount() ? m_reader->country(m_store.row(row)) : -1;
}

void AtlasTracker::rebuild()
{
    m_figures.emplace(m_data->countries.size());
    m_facts.clear();
    m_facts.reserve(size_t(m_store.rowCount()));
    for (int row = 0; row < m_store.rowCount(); ++row) {
        m_facts.push_back(m_reader->read(m_store.row(row)));
        m_figures->add(m_facts.back());
    }
    emit changed();
}

void AtlasTracker::inserted(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        VisitFacts facts = m_reader->read(m_store.row(row));
        m_figures->add(facts);
        m_facts.insert(m_facts.begin() + row, std::move(facts));
    }
    emit changed();
}

void AtlasTracker::removing(int first, int last)
{
    for (int row = first; row <= last; ++row)
        m_figures->remove(m_facts[size_t(row)]);
    m_facts.erase(m_facts.begin() + first, m_facts.begin() + last + 1);
    emit changed();
}

void AtlasTracker::replaced(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        m_figures->remove(m_facts[size_t(row)]);
        m_facts[size_t(row)] = m_reader->read(m_store.row(row));
        m_figures->add(m_facts[size_t(row)]);
    }
    emit changed();
}
