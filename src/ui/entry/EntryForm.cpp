#include "ui/entry/EntryForm.h"

#include "store/PickLists.h"
#include "ui/entry/CommentsBox.h"
#include "ui/entry/DateVisitedPicker.h"
#include "ui/entry/EntryLineEdit.h"
#include "ui/entry/PickListComboBox.h"
#include "ui/entry/PlaceLinkField.h"
#include "ui/entry/TelephoneFaxSwitch.h"
#include "ui/entry/Toolbar1Icons.h"
#include "ui/entry/WebAndEmailChecks.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

enum class Kind { Text, Combo };

// One entry control of the form with its caption, in the rows of the form from top to bottom.
// columns is its share of the form's width, in twelfths.
struct FieldPlace
{
    const char* caption;
    int label;
    Kind kind;
    int index;
    int row;
    int columns;
};

constexpr FieldPlace kFields[] = {
    {"Business name", 0, Kind::Text, 0, 1, 8},
    {"Type", 1, Kind::Combo, 1, 1, 4},
    {"Country", 2, Kind::Combo, 0, 2, 4},
    {"City", 3, Kind::Text, 2, 2, 4},
    {"Address", 4, Kind::Text, 4, 2, 4},
    {"State/Province", 6, Kind::Text, 19, 3, 3},
    {"Telephone", EntryForm::TelephoneCaption, Kind::Text, 3, 3, 3},
    {"Tel Code", 7, Kind::Text, 13, 3, 2},
    {"Contact", 8, Kind::Text, 8, 3, 4},
    {"Specialty", 9, Kind::Text, 11, 4, 4},
    {"Requirements", 10, Kind::Combo, 5, 4, 4},
    {"Reservation", 11, Kind::Combo, 2, 4, 4},
    {"Satisfaction", 12, Kind::Combo, 3, 5, 4},
    {"Cost", 13, Kind::Combo, 4, 5, 4},
    {"Actual Price", 14, Kind::Text, 20, 5, 4},
    {"Posted (stars, forks, etc)", 15, Kind::Combo, 6, 6, 4},
    {"Date visited", 16, Kind::Text, 5, 6, 4},
    {"Recommended by", 17, Kind::Text, 9, 6, 4},
    {"Web", 18, Kind::Text, 14, 7, 6},
    {"Email", 19, Kind::Text, 15, 7, 6},
    {"Comments", 20, Kind::Text, 12, 8, 12},
};

// The hidden Text1 box of each Combo1 box.
constexpr int kComboField[EntryForm::ComboCount] = {1, 7, 6, 10, 16, 17, 18};
constexpr int kFaxField = 30;
constexpr int kTelCodeField = 13;
constexpr int kCommentsField = CommentsBox::Field;

} // namespace

EntryForm::EntryForm(ShellOpen open, QWidget* parent) : QFrame(parent), m_open(std::move(open))
{
    setObjectName(QStringLiteral("Frame1"));
    buildControls();
    buildToolbar1();
    buildLayout();
    setTabOrder();
    buildShortcuts();

    m_telephoneFax = new TelephoneFaxSwitch(m_command2, m_label1[TelephoneCaption], m_text1[3], m_text1[kFaxField], this);
    m_webAndEmail = new WebAndEmailChecks(m_text1[14], m_text1[15], this);
    m_placeLink = new PlaceLinkField(m_text1[0], this, m_open, this);
}

EntryForm::~EntryForm() = default;

void EntryForm::buildControls()
{
    for (int box = 0; box < ComboCount; ++box) {
        auto* hidden = new EntryLineEdit(kComboField[box], this);
        hidden->hide();
        m_text1[kComboField[box]] = hidden;
    }
    auto* fax = new EntryLineEdit(kFaxField, this);
    fax->hide();
    m_text1[kFaxField] = fax;

    m_list1 = new QListWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->hide();

    for (const FieldPlace& place : kFields) {
        auto* caption = new QLabel(QString::fromLatin1(place.caption), this);
        caption->setObjectName(QStringLiteral("Label1(%1)").arg(place.label));
        m_label1[place.label] = caption;
        QWidget* control = nullptr;
        if (place.kind == Kind::Text && place.index == kCommentsField) {
            m_comments = new CommentsBox(this);
            control = m_comments;
        } else if (place.kind == Kind::Text) {
            auto* box = new EntryLineEdit(place.index, this);
            m_text1[place.index] = box;
            control = box;
        } else {
            auto* combo = new PickListComboBox(place.index, m_text1[kComboField[place.index]], this);
            m_combo1[place.index] = combo;
            control = combo;
            combo->setCaption(caption->text());
        }
        control->setAccessibleName(caption->text());
        caption->setBuddy(control);
    }
    m_combo1[0]->setTelephoneCodes(m_list1, m_text1[kTelCodeField]);

    const QString priceTip = QStringLiteral("Actual Price (Room/Meal) specify 1p:$/4p:$/np:$");
    m_label1[14]->setToolTip(priceTip);
    m_text1[20]->setToolTip(priceTip);

    // Text boxes as high as the combo boxes, so that the captions of a row stand in line, and
    // as wide as a combo box at its narrowest, so that a small window still shows a few words.
    const QSize comboSize = m_combo1[0]->minimumSizeHint();
    for (QLineEdit* box : m_text1) {
        if (box != nullptr)
            box->setMinimumSize(comboSize.width(), qMax(comboSize.height(), box->sizeHint().height()));
    }

    m_command2 = new QToolButton(this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command2->setIcon(Toolbar1Icons::icon(Toolbar1Icons::Picture::Switch));
    m_command2->setAutoRaise(true);
    // As high as its caption, so the Telephone row is no taller than the others.
    const int side = m_label1[TelephoneCaption]->sizeHint().height();
    m_command2->setIconSize(QSize(side - 4, side - 4));
    m_command2->setFixedSize(side + 2, side);

    m_dtPicker1 = new DateVisitedPicker(m_text1[5], this);
    m_dtPicker1->setAccessibleName(m_label1[16]->text());
    m_dtPicker1->setBackTarget(m_combo1[6]);
}

void EntryForm::buildToolbar1()
{
    m_frame4 = new QFrame(this);
    m_frame4->setObjectName(QStringLiteral("Frame4"));
    m_frame4->setFrameShape(QFrame::StyledPanel);
    m_toolbar1 = new QToolBar(m_frame4);
    m_toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar1->setIconSize(QSize(20, 20));
    m_toolbar1->setMovable(false);
    m_toolbar1->setFloatable(false);

    struct Button
    {
        const char* caption;
        const char* tip;
        Toolbar1Icons::Picture picture;
        void (EntryForm::*signal)();
    };
    const Button buttons[] = {
        {"&Add", "Add the form as a new record", Toolbar1Icons::Picture::Add, &EntryForm::addRequested},
        {"&Replace", "Replace the selected record with the form", Toolbar1Icons::Picture::Replace,
         &EntryForm::replaceRequested},
        {"&Clear", "Empty the form", Toolbar1Icons::Picture::Clear, &EntryForm::clearRequested},
    };
    for (const Button& button : buttons) {
        // The caption underlines its mnemonic (Alt+A, Alt+R, Alt+C); names go without the "&".
        const QString mnemonicCaption = QString::fromLatin1(button.caption);
        const QString caption = QString(mnemonicCaption).remove(u'&');
        QAction* action = m_toolbar1->addAction(Toolbar1Icons::icon(button.picture), caption);
        action->setIconText(mnemonicCaption);
        action->setObjectName(caption);
        action->setToolTip(QString::fromLatin1(button.tip));
        const auto signal = button.signal;
        connect(action, &QAction::triggered, this, [this, signal] { (this->*signal)(); });
        if (QWidget* widget = m_toolbar1->widgetForAction(action)) {
            widget->setObjectName(QStringLiteral("Toolbar1 ") + caption);
            widget->setAccessibleName(caption);
            widget->setToolTip(action->toolTip());
            // A toolbar's buttons take no focus of their own; these are reached by Tab.
            widget->setFocusPolicy(Qt::TabFocus);
        }
    }

    auto* layout = new QHBoxLayout(m_frame4);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_toolbar1);
}

void EntryForm::buildLayout()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 4, 8, 4);
    outer->setSpacing(4);

    auto cellFor = [this](const FieldPlace& place) {
        auto* cell = new QVBoxLayout;
        cell->setSpacing(1);
        if (place.label == TelephoneCaption) {
            auto* captionLine = new QHBoxLayout;
            captionLine->setSpacing(4);
            captionLine->addWidget(m_label1[place.label]);
            captionLine->addWidget(m_command2);
            captionLine->addStretch(1);
            cell->addLayout(captionLine);
        } else {
            cell->addWidget(m_label1[place.label]);
        }
        QWidget* control = place.kind == Kind::Text ? text1Box(place.index)
                                                    : static_cast<QWidget*>(m_combo1[place.index]);
        cell->addWidget(control);
        return cell;
    };

    auto* firstRow = new QHBoxLayout;
    firstRow->setSpacing(8);
    firstRow->addWidget(m_frame4, 0, Qt::AlignBottom);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    constexpr int GridColumns = 12;
    for (int column = 0; column < GridColumns; ++column)
        grid->setColumnStretch(column, 1);

    int gridRow = -1;
    int lastRow = 0;
    int column = 0;
    for (const FieldPlace& place : kFields) {
        if (place.row == 1) {
            firstRow->addLayout(cellFor(place), place.columns);
            continue;
        }
        if (place.row != lastRow) {
            ++gridRow;
            column = 0;
            lastRow = place.row;
        }
        grid->addLayout(cellFor(place), gridRow, column, 1, place.columns);
        column += place.columns;
    }
    // The Comments row takes the height that a taller window gives.
    grid->setRowStretch(gridRow, 1);
    outer->addLayout(firstRow);
    outer->addLayout(grid, 1);
}

void EntryForm::buildShortcuts()
{
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, &EntryForm::commitRequested);
    }
}

void EntryForm::setTabOrder()
{
    // Row by row, left to right; the picker takes the place of the date box, and the commands
    // come after the last field.
    QList<QWidget*> order;
    for (const FieldPlace& place : kFields) {
        if (place.label == TelephoneCaption)
            order.append(m_command2);
        order.append(place.kind == Kind::Text ? text1Box(place.index)
                                              : static_cast<QWidget*>(m_combo1[place.index]));
        if (place.kind == Kind::Text && place.index == 5)
            order.append(m_dtPicker1);
    }
    for (QAction* action : m_toolbar1->actions()) {
        if (QWidget* widget = m_toolbar1->widgetForAction(action))
            order.append(widget);
    }
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

QString EntryForm::text1(int index) const
{
    if (index == kCommentsField)
        return m_comments->text();
    QLineEdit* box = (index >= 0 && index < TextCount) ? m_text1[index] : nullptr;
    return box != nullptr ? box->text() : QString();
}

void EntryForm::setText1(int index, const QString& text)
{
    if (index == kCommentsField) {
        m_comments->setText(text);
        return;
    }
    QLineEdit* box = (index >= 0 && index < TextCount) ? m_text1[index] : nullptr;
    if (box == nullptr)
        return;
    box->setText(text);
    if (index == 5)
        m_dtPicker1->reset();
    for (int combo = 0; combo < ComboCount; ++combo) {
        if (kComboField[combo] == index)
            m_combo1[combo]->showValue(text);
    }
}

QWidget* EntryForm::text1Box(int index) const
{
    if (index == kCommentsField)
        return m_comments;
    return (index >= 0 && index < TextCount) ? m_text1[index] : nullptr;
}

int EntryForm::fieldOfCombo(int box)
{
    return (box >= 0 && box < ComboCount) ? kComboField[box] : -1;
}

QLabel* EntryForm::label1(int index) const
{
    return (index >= 0 && index < int(m_label1.size())) ? m_label1[index] : nullptr;
}

bool EntryForm::telephoneShowsFax() const
{
    return m_telephoneFax->showsFax();
}

QComboBox* EntryForm::combo1(int index) const
{
    return (index >= 0 && index < ComboCount) ? m_combo1[index] : nullptr;
}

QToolBar* EntryForm::toolbar1() const
{
    return m_toolbar1;
}

void EntryForm::ClearEntryFields()
{
    for (QLineEdit* box : m_text1) {
        if (box != nullptr)
            box->clear();
    }
    m_comments->clear();
    for (PickListComboBox* combo : m_combo1)
        combo->showValue(QString());
    m_dtPicker1->reset();
}

bool EntryForm::finishEditing()
{
    QWidget* focus = QApplication::focusWidget();
    for (PickListComboBox* combo : m_combo1) {
        if (combo == focus || combo->isAncestorOf(focus))
            combo->finishEditing();
    }
    return m_dtPicker1->commit();
}

void EntryForm::LoadPickLists(const PickLists& lists)
{
    for (int box = 0; box < ComboCount && box < PickLists::BoxCount; ++box)
        m_combo1[box]->setEntries(lists.lists[box]);
    m_list1->clear();
    m_list1->addItems(lists.telephoneCodes);
}
