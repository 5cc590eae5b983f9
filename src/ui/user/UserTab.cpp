#include "ui/user/UserTab.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QLabel* makeLabel(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}

// Labels whose text arrives after the window is laid out (the version, the installation ID)
// keep room for it from the start, so that the window's smallest size does not depend on when
// they were filled and the text shows whole.
constexpr int kVersionChars = 10;
constexpr int kIdentityChars = 18;

void reserveWidth(QLabel* label, int characters)
{
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QLatin1Char('0')) * characters);
}

} // namespace

UserTab::UserTab(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("UserTab"));

    // User Information: alias, e-mail and the anonymous choice.
    m_frame8 = new QGroupBox(QStringLiteral("User Information"), this);
    m_frame8->setObjectName(QStringLiteral("Frame8"));
    auto* userGrid = new QGridLayout(m_frame8);
    const QString captions[Text3Count] = {QStringLiteral("Name / Alias"), QStringLiteral("Email")};
    for (int i = 0; i < Text3Count; ++i) {
        m_label6[i] = makeLabel(indexed("Label6", i), captions[i], m_frame8);
        m_text3[i] = new QLineEdit(m_frame8);
        m_text3[i]->setObjectName(indexed("Text3", i));
        m_text3[i]->setAccessibleName(captions[i]);
        m_label6[i]->setBuddy(m_text3[i]);
        userGrid->addWidget(m_label6[i], i, 0);
        userGrid->addWidget(m_text3[i], i, 1);
    }
    m_check1 = new QCheckBox(QStringLiteral("Post anonymously  (shared posts)"), m_frame8);
    m_check1->setObjectName(QStringLiteral("Check1"));
    userGrid->addWidget(m_check1, Text3Count, 1);
    userGrid->setColumnStretch(1, 1);

    // Software Information: the version labels, the program's version beside its caption and
    // the server's verdict below them, wrapped, so both stay readable at any width.
    m_frame7 = new QGroupBox(QStringLiteral("Software Information"), this);
    m_frame7->setObjectName(QStringLiteral("Frame7"));
    auto* versionGrid = new QGridLayout(m_frame7);
    m_label8 = makeLabel(QStringLiteral("Label8"), QStringLiteral("VER:"), m_frame7);
    versionGrid->addWidget(m_label8, 0, 0);
    for (int i = 0; i < 2; ++i) {
        m_label9[i] = makeLabel(indexed("Label9", i), QString(), m_frame7);
        m_label9[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    reserveWidth(m_label9[0], kVersionChars);
    m_label9[1]->setWordWrap(true);
    versionGrid->addWidget(m_label9[0], 0, 1);
    versionGrid->addWidget(m_label9[1], 1, 0, 1, 2);
    versionGrid->setColumnStretch(1, 1);

    // Account Information: the installation ID.
    m_frame5 = new QGroupBox(QStringLiteral("Account Information"), this);
    m_frame5->setObjectName(QStringLiteral("Frame5"));
    auto* accountRow = new QHBoxLayout(m_frame5);
    m_label7 = makeLabel(QStringLiteral("Label7"), QStringLiteral("MAC ID"), m_frame5);
    m_label2 = makeLabel(QStringLiteral("Label2"), QString(), m_frame5);
    m_label2->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Read by its value, the ID itself, and described by its caption.
    m_label2->setAccessibleDescription(QStringLiteral("MAC ID"));
    reserveWidth(m_label2, kIdentityChars);
    accountRow->addWidget(m_label7);
    accountRow->addWidget(m_label2, 1);

    auto* infoColumn = new QVBoxLayout;
    infoColumn->addWidget(m_frame7);
    infoColumn->addWidget(m_frame5);
    infoColumn->addStretch(1);
    auto* topRow = new QHBoxLayout;
    topRow->addWidget(m_frame8, 3);
    topRow->addLayout(infoColumn, 2);

    // The suggestion box for the forum.
    m_label11 = makeLabel(QStringLiteral("Label11"),
                          QStringLiteral("Post a suggestion to improve this program (post will appear on "
                                         "public forum)    2000 chars max."),
                          this);
    m_label11->setWordWrap(true);
    m_text4 = new QPlainTextEdit(this);
    m_text4->setObjectName(QStringLiteral("Text4"));
    m_text4->setAccessibleName(QStringLiteral("Suggestion"));
    m_text4->setTabChangesFocus(true);
    m_label11->setBuddy(m_text4);

    m_command3[0] = new QPushButton(QStringLiteral("Send !"), this);
    m_command3[0]->setObjectName(indexed("Command3", 0));
    m_command3[1] = new QPushButton(QStringLiteral("Clear"), this);
    m_command3[1]->setObjectName(indexed("Command3", 1));
    m_label12 = makeLabel(QStringLiteral("Label12"), QStringLiteral("<a href=\"posts\">Show posts</a>"), this);
    m_label12->setTextFormat(Qt::RichText);
    m_label12->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_label12->setAccessibleName(QStringLiteral("Show posts"));
    connect(m_label12, &QLabel::linkActivated, this, [this] { emit showPostsClicked(); });

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_label12);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_command3[0]);
    buttonRow->addWidget(m_command3[1]);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(topRow);
    layout->addSpacing(6);
    layout->addWidget(m_label11);
    layout->addWidget(m_text4, 1);
    layout->addLayout(buttonRow);
}
