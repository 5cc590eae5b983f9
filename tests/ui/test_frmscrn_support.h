#pragma once

#include "ui/widgets/ShellOpen.h"

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class FrmScrn;
class QAction;
class QMenu;
class QWidget;
class TestFolder;

// A main window over a test folder, shown offscreen and active, with the documents it opens
// recorded (and the browser failing to start when browserStarts is false).
struct WindowUnderTest
{
    explicit WindowUnderTest(const TestFolder& folder, bool loadDatabase = true);
    ~WindowUnderTest();

    FrmScrn* operator->() const { return window.get(); }

    QWidget* control(const QString& objectName) const;
    // Gives a box the focus as Tab does and types into it, key by key.
    void type(const QString& objectName, const QString& text) const;
    // Types a Place (and a City) into the form and clicks Add.
    void addRecord(const QString& place, const QString& city = {}) const;
    // Toolbar1 button 1 (Add), 2 (Replace) or 3 (Clear), and the Toolbar2 buttons, clicked.
    void clickToolbar1(int index) const;
    void clickToolbar2(int index) const;
    void showViewTab() const;
    // A click with the button on the first cell of a shown row of ListView1.
    void clickRow(int row, Qt::MouseButton button) const;
    // Right click on a row, then a click on an item of the Other menu that pops up.
    void chooseFromOtherMenu(int row, const QString& objectName) const;
    void clickHeader(int column) const;
    // The texts of a shown row, and of one column of every shown row.
    QStringList listRow(int row) const;
    QStringList column(int index) const;

    QList<QUrl> opened;
    bool browserStarts = true;
    std::unique_ptr<FrmScrn> window;
};

// Types text into a widget one key per character, with the character's own text (QTest's
// keyClicks cannot type characters beyond Latin-1).
void typeText(QWidget* widget, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The named control that has the focus; the editor inside a box stands for its box.
QString focusedName();
void clickMenuItem(QMenu* menu, QAction* action);

// Each record a list of its 24 stored fields.
using Records = QList<QStringList>;

// Writes the database as a full rewrite does.
void writeDatabase(const TestFolder& folder, const Records& records);
// The records that the database file holds, decoded line by line.
Records readDatabase(const TestFolder& folder, const QString& name = QStringLiteral("Roamlog.ppd"));
// One field of every record the database file holds.
QStringList fileColumn(const TestFolder& folder, int index);
// A record of 24 fields with the given ones set (column, text).
QStringList record(std::initializer_list<std::pair<int, QString>> fields);

// Answers every message box while it lives, with OK or the button given, and keeps its texts.
class MessageCatcher
{
public:
    explicit MessageCatcher(QMessageBox::StandardButton answer = QMessageBox::Ok);
    ~MessageCatcher();
    QString text() const;
    QString details() const;
    QString caption() const;
    int count() const;
    QStringList texts() const;
    // The buttons of the first box.
    QMessageBox::StandardButtons buttons() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
