#pragma once

#include "atlas/AtlasFigures.h"
#include "atlas/VisitReader.h"

#include <QObject>

#include <memory>
#include <optional>
#include <vector>

class RecordListModel;
class RecordStore;
struct AtlasData;

// The Atlas's figures of the record list, kept up to date with every change of it: a record
// added, replaced or removed (by the entry commands, Undo and Redo alike) changes the figures
// by that record alone; a load or a sort reads them all again.
class AtlasTracker : public QObject
{
    Q_OBJECT

public:
    AtlasTracker(RecordListModel* model, const RecordStore& store, QObject* parent = nullptr);

    // Reads every record and follows the list from then on.
    void start(std::shared_ptr<AtlasData> data);
    bool isTracking() const { return m_figures.has_value(); }

    const AtlasFigures& figures() const { return *m_figures; }
    const AtlasData& data() const { return *m_data; }
    // The country (an index of the CountryTable, or -1) of a store row (0-based), read from
    // the record itself, so that it holds even while the figures are being brought up to date.
    int countryOfRow(int row);

signals:
    void changed();

private:
    void rebuild();
    void inserted(int first, int last);
    void removing(int first, int last);
    void replaced(int first, int last);

    RecordListModel* m_model;
    const RecordStore& m_store;
    std::shared_ptr<AtlasData> m_data;
    std::optional<VisitReader> m_reader;
    std::optional<AtlasFigures> m_figures;
    std::vector<VisitFacts> m_facts; // by store row
};
