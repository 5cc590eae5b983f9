#pragma once

#include <QComboBox>

class QLineEdit;
class QListWidget;

// One pick-list box Combo1(i): a drop-down box whose typing is completed from its own list,
// and whose field value lives in a hidden Text1 box that it keeps in step with its text. The
// Country box (index 0) also fills the Tel Code box with the code that List1 holds for the
// picked country.
class PickListComboBox : public QComboBox
{
    Q_OBJECT

public:
    PickListComboBox(int box, QLineEdit* field, QWidget* parent = nullptr);

    int box() const { return m_box; }
    QLineEdit* field() const { return m_field; }

    // For the Country box: the telephone codes (entry k belongs to entry k of the box) and
    // the Tel Code box they go to.
    void setTelephoneCodes(QListWidget* codes, QLineEdit* telCode);

    // The caption the box is known by: screen readers name both the box and its editor by it,
    // so that the box is announced by what it asks for rather than by what it holds.
    void setCaption(const QString& caption);

    // Replaces the list entries; the text shown and the field stay as they are.
    void setEntries(const QStringList& entries);

    // Shows a value of a record: the text of the box (and so of its field).
    void showValue(const QString& text);

    // Copies the box's text to its field; for the Country box also the code of entry `entry`
    // to Tel Code.
    void CopyComboToField(int entry);

    // What leaving the box does, for a command given while the box still has the focus.
    void finishEditing() { leave(); }

    QString typedPrefix() const { return m_typedPrefix; }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool complete(QChar typed);
    void leave();
    int entryMatching(const QString& text) const;
    void resetCompletion();

    int m_box;
    QLineEdit* m_field;
    QListWidget* m_codes = nullptr;
    QLineEdit* m_telCode = nullptr;
    QString m_typedPrefix;
};
