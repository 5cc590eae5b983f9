#pragma once

#include "ui/entry/EntryForm.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

// The entry form in a window of its own, shown and active, with an opener that only records
// what the Place link would open.
struct FormWindow
{
    FormWindow()
    {
        window.resize(694, 460);
        auto* layout = new QVBoxLayout(&window);
        form = new EntryForm([this](const QUrl& url) { opened.append(url); });
        layout->addWidget(form);
        window.show();
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("form window not active");
    }

    // A line edit Text1(index); Comments (12) is the wrapping box below.
    QLineEdit* box(int index) const { return form->findChild<QLineEdit*>(QStringLiteral("Text1(%1)").arg(index)); }
    QPlainTextEdit* comments() const { return form->findChild<QPlainTextEdit*>(QStringLiteral("Text1(12)")); }
    // Any Text1 box, whatever its kind.
    QWidget* control(int index) const { return form->findChild<QWidget*>(QStringLiteral("Text1(%1)").arg(index)); }
    QComboBox* combo(int index) const { return form->findChild<QComboBox*>(QStringLiteral("Combo1(%1)").arg(index)); }
    QWidget* focused() const { return QApplication::focusWidget(); }

    // Gives a box the focus by the keyboard, as Tab does.
    void enter(QWidget* widget) const
    {
        widget->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    void tab(bool backwards = false) const
    {
        QTest::keyClick(focused(), Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QApplication::processEvents();
    }

    QWidget window;
    EntryForm* form = nullptr;
    QList<QUrl> opened;
};

struct Captioned
{
    const char* name;
    const char* caption;
};

// Every visible entry control with the caption the user reads above it, in the rows of the form.
inline constexpr Captioned kVisibleControls[] = {
    {"Text1(0)", "Business name"}, {"Combo1(1)", "Type"}, {"Combo1(0)", "Country"}, {"Text1(2)", "City"},
    {"Text1(4)", "Address"}, {"Text1(19)", "State/Province"}, {"Text1(3)", "Telephone"},
    {"Text1(13)", "Tel Code"}, {"Text1(8)", "Contact"}, {"Text1(11)", "Specialty"},
    {"Combo1(5)", "Requirements"}, {"Combo1(2)", "Reservation"}, {"Combo1(3)", "Satisfaction"},
    {"Combo1(4)", "Cost"}, {"Text1(20)", "Actual Price"}, {"Combo1(6)", "Posted (stars, forks, etc)"},
    {"Text1(5)", "Date visited"}, {"Text1(9)", "Recommended by"}, {"Text1(14)", "Web"},
    {"Text1(15)", "Email"}, {"Text1(12)", "Comments"},
};

// Types text into the widget that has the focus, one key per character, with the character's
// own text (QTest::keyClicks cannot type characters outside Latin-1).
inline void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        const auto key = ch.isLetterOrNumber() && ch.unicode() < 128 ? Qt::Key(ch.toUpper().unicode()) : Qt::Key_unknown;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}
