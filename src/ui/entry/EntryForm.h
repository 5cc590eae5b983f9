#pragma once

#include "ui/widgets/ShellOpen.h"

#include <QFrame>
#include <QString>

#include <array>

class CommentsBox;
class DateVisitedPicker;
class PickListComboBox;
class PlaceLinkField;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QToolBar;
class QToolButton;
class TelephoneFaxSwitch;
class WebAndEmailChecks;
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
    // Writing the hidden box of a pick-list field (1, 7, 6, 10, 16, 17, 18) also shows the
    // value in its combo box, as showing a record writes both members of the pair.
    void setText1(int index, const QString& text);

    // The visible combo box Combo1(index).
    QComboBox* combo1(int index) const;

    QToolBar* toolbar1() const;

    // Empties every Text1 box, then every Combo1 box, in index order.
    void ClearEntryFields();

    // Before a command reads the form: the pick-list box being typed in takes its entry (and
    // Tel Code its code) as on leaving it, and a date being typed goes into its field. False
    // when the date cannot be read; the picker then shows why.
    bool finishEditing();

    // Fills the seven pick-list boxes and List1 (the telephone codes).
    void LoadPickLists(const PickLists& lists);

    // Text1(index) itself, or nullptr for an index that has no box. Comments (12) is a
    // wrapping text box; every other member is a line edit.
    QWidget* text1Box(int index) const;

    // The index of the hidden Text1 box that holds the value of Combo1(box), or -1.
    static int fieldOfCombo(int box);

    // The Label1 caption of a field: Label1(5) is the Telephone/Fax caption.
    QLabel* label1(int index) const;
    static constexpr int TelephoneCaption = 5;

    // Whether the telephone box shows the fax number (the caption reads "Fax").
    bool telephoneShowsFax() const;

    // DTPicker1, the date picker over Date Visited.
    DateVisitedPicker* dtPicker1() const { return m_dtPicker1; }

    // List1, the hidden list of telephone codes.
    QListWidget* list1() const { return m_list1; }

signals:
    // The three Toolbar1 buttons, in index order.
    void addRequested();
    void replaceRequested();
    void clearRequested();
    // Ctrl+Return anywhere in the form: Add or Replace, as the window knows which record the
    // form shows.
    void commitRequested();

private:
    void buildControls();
    void buildLayout();
    void buildToolbar1();
    void setTabOrder();
    void buildShortcuts();

    std::array<QLineEdit*, TextCount> m_text1{};
    CommentsBox* m_comments = nullptr;
    std::array<PickListComboBox*, ComboCount> m_combo1{};
    std::array<QLabel*, 21> m_label1{};
    QListWidget* m_list1 = nullptr;
    QToolBar* m_toolbar1 = nullptr;
    QFrame* m_frame4 = nullptr;
    QToolButton* m_command2 = nullptr;
    DateVisitedPicker* m_dtPicker1 = nullptr;
    TelephoneFaxSwitch* m_telephoneFax = nullptr;
    WebAndEmailChecks* m_webAndEmail = nullptr;
    PlaceLinkField* m_placeLink = nullptr;
    ShellOpen m_open;
};
