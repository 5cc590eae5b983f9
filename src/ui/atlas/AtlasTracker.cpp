#include "ui/atlas/AtlasTracker.h"

#include "atlas/AtlasData.h"
#include "store/RecordStore.h"
#include "ui/list/RecordListModel.h"

#include <QThread>

AtlasTracker::AtlasTracker(RecordListModel* model, const RecordStore& store, QObject* parent)
    : QObject(parent), m_model(model), m_store(store)
{
}

AtlasTracker::~AtlasTracker()
{
    if (m_counting)
        m_counting->wait();
}

void AtlasTracker::start(std::shared_ptr<AtlasData> data)
{
    if (m_data || !data)
        return;
    m_data = std::move(data);
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { step(first, last, 1); });
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { step(first, last, -1); });
    connect(m_model, &RecordListModel::recordAboutToBeReplaced, this, [this](int row) {
        m_replacing = row;
        step(row, row, -1);
    });
    connect(m_model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& from) {
        // Only a replacement changes what the Atlas reads; an upload mark does not.
        if (from.row() == m_replacing)
            step(from.row(), from.row(), 1);
        m_replacing = -1;
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, &AtlasTracker::countAll);
    countAll();
}

int AtlasTracker::countryOfRow(int row)
{
    return m_reader && row >= 0 && row < m_store.rowCount() ? m_reader->country(m_store.row(row)) : -1;
}

void AtlasTracker::countAll()
{
    ++m_generation;
    if (m_counting)
        return; // its end counts again
    const int generation = m_generation;
    m_counting = QThread::create([this, records = m_store.table(), data = m_data] {
        m_result.reader = std::make_unique<VisitReader>(*data);
        m_result.figures = std::make_unique<AtlasFigures>(data->countries.size());
        for (int row = 0; row < records.rowCount(); ++row)
            m_result.figures->add(m_result.reader->read(records.row(row)));
    });
    connect(m_counting, &QThread::finished, this, [this, generation] { counted(generation); });
    m_counting->start();
}

void AtlasTracker::counted(int generation)
{
    m_counting->deleteLater();
    m_counting = nullptr;
    if (generation != m_generation) {
        countAll();
        return;
    }
    m_reader = std::move(m_result.reader);
    m_figures = std::move(m_result.figures);
    emit changed();
}

void AtlasTracker::step(int first, int last, int by)
{
    // While the whole list is being counted, the count in progress is of an older list.
    if (m_counting) {
        ++m_generation;
        return;
    }
    if (!m_figures)
        return;
    for (int row = first; row <= last; ++row) {
        const VisitFacts facts = m_reader->read(m_store.row(row));
        if (by > 0)
            m_figures->add(facts);
        else
            m_figures->remove(facts);
    }
    emit changed();
}
