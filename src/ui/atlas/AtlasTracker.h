#pragma once

#include "atlas/AtlasFigures.h"
#include "atlas/VisitReader.h"

#include <QObject>

#include <memory>
#include <optional>

class QThread;
class RecordListModel;
class RecordStore;
struct AtlasData;

// The Atlas's figures of the record list, kept up to date with every change of it: a record
// added, replaced or removed (by the entry commands, Undo and Redo alike) changes the figures
// by that record alone, and a sort changes nothing. The whole list (at the start, after a
// load) is counted on a worker thread, from a copy of the records, so that the window never
// waits for it; a change made meanwhile has it counted again.
class AtlasTracker : public QObject
{
    Q_OBJECT

public:
    AtlasTracker(RecordListModel* model, const RecordStore& store, QObject* parent = nullptr);
    ~AtlasTracker() override;

    // Counts every record and follows the list from then on.
    void start(std::shared_ptr<AtlasData> data);
    // Whether the figures are there (the first count has ended).
    bool isTracking() const { return m_figures != nullptr; }

    const AtlasFigures& figures() const { return *m_figures; }
    const AtlasData& data() const { return *m_data; }
    // The country (an index of the CountryTable, or -1) of a store row (0-based), read from
    // the record itself, so that it holds even while the figures are being brought up to date.
    int countryOfRow(int row);

signals:
    void changed();

private:
    struct Count
    {
        std::unique_ptr<VisitReader> reader;
        std::unique_ptr<AtlasFigures> figures;
    };
    void countAll();
    void counted(int generation);
    void step(int first, int last, int by);

    RecordListModel* m_model;
    const RecordStore& m_store;
    std::shared_ptr<AtlasData> m_data;
    std::unique_ptr<VisitReader> m_reader;
    std::unique_ptr<AtlasFigures> m_figures;
    int m_generation = 0; // of the list's contents: a count of an older one is thrown away
    QThread* m_counting = nullptr;
    Count m_result;       // written by the worker, read once it has finished
    int m_replacing = -1; // the row whose replacement is under way
};
