#pragma once

#include <QLineEdit>

// One Text1 box of the entry form: the caret goes to the end of the text when the box gets
// the focus, typed characters follow the key rules of its field, and Enter does nothing (so
// it never reaches a command by accident).
class EntryLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    EntryLineEdit(int field, QWidget* parent = nullptr);

    int field() const { return m_field; }

signals:
    // A left click inside the box (press and release over it).
    void clicked();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_field;
    bool m_pressed = false;
};
