#pragma once

#include "app/ProgramValues.h"
#include "app/ShellOpen.h"
#include "store/RecordStore.h"

#include <QWidget>

class QTableView;
class RecordListModel;
struct PickLists;

// The program's main window: the record list over the store of the program's folder.
class FrmScrn : public QWidget
{
    Q_OBJECT

public:
    FrmScrn(const ProgramValues& values, ShellOpen open, QWidget* parent = nullptr);
    ~FrmScrn() override;

    RecordStore& store() { return m_store; }

    // Start-up steps that run once the window is on screen.
    void LoadPickLists(const PickLists& lists);
    void LoadDatabase();

    // Empties the record list without writing anything.
    void clearRecordList();

private:
    ProgramValues m_values;
    ShellOpen m_open;
    RecordStore m_store;
    RecordListModel* m_model = nullptr;
    QTableView* m_listView1 = nullptr;
};
