#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The "User" tab: the user's alias, e-mail and anonymous choice, the software version, the
// installation ID and the suggestion box for the forum. It only lays the controls out; the
// features that use them connect to the controls through the accessors.
class UserTab : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Text3Count = 2;

    explicit UserTab(QWidget* parent = nullptr);

    QGroupBox* frame8() const { return m_frame8; }
    QGroupBox* frame7() const { return m_frame7; }
    QGroupBox* frame5() const { return m_frame5; }
    QLabel* label6(int index) const { return m_label6[index]; }
    QLineEdit* text3(int index) const { return m_text3[index]; }
    QCheckBox* check1() const { return m_check1; }
    QLabel* label8() const { return m_label8; }
    QLabel* label9(int index) const { return m_label9[index]; }
    QLabel* label7() const { return m_label7; }
    QLabel* label2() const { return m_label2; }
    QLabel* label11() const { return m_label11; }
    QPlainTextEdit* text4() const { return m_text4; }
    QPushButton* command3(int index) const { return m_command3[index]; }
    QLabel* label12() const { return m_label12; }

signals:
    // The "Show posts" link was activated, by mouse or keyboard.
    void showPostsClicked();

private:
    QGroupBox* m_frame8 = nullptr;
    QGroupBox* m_frame7 = nullptr;
    QGroupBox* m_frame5 = nullptr;
    QLabel* m_label6[Text3Count] = {};
    QLineEdit* m_text3[Text3Count] = {};
    QCheckBox* m_check1 = nullptr;
    QLabel* m_label8 = nullptr;
    QLabel* m_label9[2] = {};
    QLabel* m_label7 = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_label11 = nullptr;
    QPlainTextEdit* m_text4 = nullptr;
    QPushButton* m_command3[2] = {};
    QLabel* m_label12 = nullptr;
};
