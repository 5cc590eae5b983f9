#pragma once

#include "settings/ProgramValues.h"
#include "store/RecordStore.h"
#include "ui/widgets/ShellOpen.h"

#include <QWidget>

class AtlasTab;
class EntryCommands;
class EntryForm;
class OnlineFeatures;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QTabWidget;
class QToolBar;
class RecordListModel;
class RecordListView;
class RecordSearchBox;
class UserTab;
struct PickLists;

// The program's main window: a status line and Toolbar2 along the top, and the tabs "View"
// (the record list), "Edit" (the entry form) and "User" (the user panel) below. It has no
// menu bar: the Tools menu pops up from Toolbar2, the Other menu from the record list.
class FrmScrn : public QWidget
{
    Q_OBJECT

public:
    enum Tab { ViewTab = 0, EditTab = 1, UserTabIndex = 2, AtlasTabIndex = 3 };

    FrmScrn(const ProgramValues& values, ShellOpen open, QWidget* parent = nullptr);
    ~FrmScrn() override;

    const ProgramValues& values() const { return m_values; }
    const ShellOpen& shellOpen() const { return m_open; }
    RecordStore& store() { return m_store; }
    RecordListModel* recordModel() const { return m_model; }

    // Start-up steps that run once the window is on screen.
    void LoadPickLists(const PickLists& lists);
    // Loads the records and tells the user what could not be read: a file that could not be
    // read to its end in a message box (nothing is written to it until the next start), lines
    // that did not decode in the status line. The window first becomes the folder's one writer;
    // when another program is, the user chooses between a read-only window and none (the
    // window closes).
    void LoadDatabase();

    // Empties the record list without writing anything.
    void clearRecordList();

    // Empties every box of the entry form.
    void ClearEntryFields();

    // Opens help.html of the program's own files, when there is one.
    void openHelp();

    // The controls, for the features that attach to them.
    QLabel* label10() const { return m_label10; }
    QFrame* frame6() const { return m_frame6; }
    QToolBar* toolbar2() const { return m_toolbar2; }
    QTabWidget* ssTab1() const { return m_ssTab1; }
    RecordListView* listView1() const { return m_listView1; }
    EntryForm* entryForm() const { return m_form; }
    UserTab* userTab() const { return m_userTab; }
    AtlasTab* atlasTab() const { return m_atlasTab; }
    RecordSearchBox* searchBox() const { return m_searchBox; }
    EntryCommands* entryCommands() const { return m_commands; }
    // The user panel, suggestion posting, sharing, the version check and the web pages.
    OnlineFeatures* online() const { return m_online; }
    QMenu* tmenu() const { return m_tmenu; }
    QMenu* tother() const { return m_tother; }
    QAction* mnuBrowse() const { return m_mnuBrowse; }
    QAction* mnuForum() const { return m_mnuForum; }
    QAction* mnuHelp() const { return m_mnuHelp; }
    QAction* mnuQuit() const { return m_mnuQuit; }
    QAction* mnuRemoveEntry() const { return m_mnuRemoveEntry; }
    QAction* mnuShare() const { return m_mnuShare; }
    QAction* mnulines() const { return m_mnulines; }
    QAction* mnuUndo() const { return m_mnuUndo; }
    QAction* mnuRedo() const { return m_mnuRedo; }
    // Toolbar2 buttons 1 to 3.
    QAction* toolbar2Button(int index) const;

signals:
    // Share from the Other menu or Toolbar2 button 1.
    void shareRequested();
    // The window's load has run (first show).
    void loaded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildTopStrip();
    void buildTabs();
    void load();
    void toolbar2Click(int index);
    void showCountry(int country);
    void requestShare();
    // Takes the folder's lock; false when the user chose to close the window instead.
    bool lockFolder();
    void reportLoad(const LoadReport& report);
    void popUpToolsMenu();
    void toggleShowGrid();
    void quit();

    ProgramValues m_values;
    ShellOpen m_open;
    RecordStore m_store;
    bool m_loaded = false;

    RecordListModel* m_model = nullptr;
    QLabel* m_label10 = nullptr;
    QFrame* m_frame6 = nullptr;
    QToolBar* m_toolbar2 = nullptr;
    QAction* m_toolbar2Buttons[3] = {};
    QTabWidget* m_ssTab1 = nullptr;
    RecordListView* m_listView1 = nullptr;
    EntryForm* m_form = nullptr;
    UserTab* m_userTab = nullptr;
    AtlasTab* m_atlasTab = nullptr;
    RecordSearchBox* m_searchBox = nullptr;
    EntryCommands* m_commands = nullptr;
    OnlineFeatures* m_online = nullptr;

    QMenu* m_tmenu = nullptr;
    QMenu* m_tmnuWeb = nullptr;
    QAction* m_mnuBrowse = nullptr;
    QAction* m_mnuForum = nullptr;
    QAction* m_sep1 = nullptr;
    QAction* m_mnuHelp = nullptr;
    QAction* m_mnuQuit = nullptr;
    QMenu* m_tother = nullptr;
    QAction* m_mnuRemoveEntry = nullptr;
    QAction* m_mnuShare = nullptr;
    QAction* m_mnulines = nullptr;
    QAction* m_mnuUndo = nullptr;
    QAction* m_mnuRedo = nullptr;
};
