#pragma once

#include "app/ShellOpen.h"

#include <QFrame>
#include <QString>

class QComboBox;
class QListWidget;
class QToolBar;
struct PickLists;

// The entry form "Frame1" of the Edit tab: Toolbar1 and the field boxes of one record. The
// boxes keep their control-array names ("Text1(0)" ... "Text1(30)", "Combo1(0)" ...
// "Combo1(6)") as object names. The value of each pick-list field lives in its hidden
// Text1 box, which the combo box keeps in step.
class EntryForm : public QFrame
{
    Q_OBJECT

public:
    static constexpr int TextCount = 31;
    static constexpr int ComboCount = 7;

    // open is used by the Place link, which opens web addresses only.
    explicit EntryForm(ShellOpen open, QWidget* parent = nullptr);
    ~EntryForm() override;

    // The text of Text1(index); "" for an index that has no box.
    QString text1(int index) const;
    void setText1(int index, const QString& text);

    // The visible combo box Combo1(index).
    QComboBox* combo1(int index) const;

    QToolBar* toolbar1() const;

    // Empties every Text1 box, then every Combo1 box, in index order.
    void ClearEntryFields();

    // Fills the seven pick-list boxes and List1 (the telephone codes).
    void LoadPickLists(const PickLists& lists);

signals:
    // The three Toolbar1 buttons, in index order.
    void addRequested();
    void replaceRequested();
    void clearRequested();
};
