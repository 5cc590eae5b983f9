#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "settings/ProgramValues.h"
#include "store/LineCodec.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListModel.h"
#include "ui/list/RecordListView.h"
#include "ui/window/FrmScrn.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>

WindowUnderTest::WindowUnderTest(const TestFolder& folder, bool loadDatabase)
{
    window = std::make_unique<FrmScrn>(ProgramValues::forFolder(folder.path()), [this](const QUrl& url) {
        opened.append(url);
        return browserStarts;
    });
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the window did not become active");
    if (loadDatabase)
        window->LoadDatabase();
}

WindowUnderTest::~WindowUnderTest() = default;

QWidget* WindowUnderTest::control(const QString& objectName) const
{
    auto* widget = window->findChild<QWidget*>(objectName);
    if (!widget)
        qWarning("no control %s", qPrintable(objectName));
    return widget;
}

void WindowUnderTest::type(const QString& objectName, const QString& text) const
{
    QWidget* box = control(objectName);
    box->setFocus(Qt::TabFocusReason);
    // After a message box the window may not be active again: then the box takes the keys.
    QWidget* focus = QApplication::focusWidget();
    typeText(focus != nullptr && box->isAncestorOf(focus) ? focus : box, text);
}

void WindowUnderTest::addRecord(const QString& place, const QString& city) const
{
    window->ssTab1()->setCurrentIndex(FrmScrn::EditTab);
    type(QStringLiteral("Text1(0)"), place);
    if (!city.isEmpty())
        type(QStringLiteral("Text1(2)"), city);
    clickToolbar1(1);
}

void typeText(QWidget* widget, const QString& text, Qt::KeyboardModifiers modifiers)
{
    for (const QChar ch : text) {
        const auto key = ch.isLetterOrNumber() && ch.unicode() < 128 ? Qt::Key(ch.toUpper().unicode())
                         : ch == u' '                              ? Qt::Key_Space
                                                                   : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::KeyAction::Click, widget, key, QString(ch), modifiers);
    }
}

QString focusedName()
{
    QWidget* widget = QApplication::focusWidget();
    while (widget != nullptr && widget->objectName().isEmpty())
        widget = widget->parentWidget();
    return widget != nullptr ? widget->objectName() : QString();
}

namespace {

QAction* buttonOf(QToolBar* toolbar, int index)
{
    QList<QAction*> buttons;
    for (QAction* action : toolbar->actions()) {
        if (!action->isSeparator() && toolbar->widgetForAction(action))
            buttons.append(action);
    }
    return buttons.value(index - 1);
}

} // namespace

void WindowUnderTest::clickToolbar1(int index) const
{
    QToolBar* toolbar = window->entryForm()->toolbar1();
    QTest::mouseClick(toolbar->widgetForAction(buttonOf(toolbar, index)), Qt::LeftButton);
}

void WindowUnderTest::clickToolbar2(int index) const
{
    QTest::mouseClick(window->toolbar2()->widgetForAction(buttonOf(window->toolbar2(), index)), Qt::LeftButton);
}

void WindowUnderTest::showViewTab() const
{
    // The user clicks on the list only when it is on screen.
    if (window->ssTab1()->currentIndex() != FrmScrn::ViewTab) {
        window->ssTab1()->setCurrentIndex(FrmScrn::ViewTab);
        QCoreApplication::processEvents();
    }
}

void WindowUnderTest::clickRow(int row, Qt::MouseButton button) const
{
    showViewTab();
    RecordListView* list = window->listView1();
    list->scrollTo(list->model()->index(row, 0));
    const QRect cell = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), button, {}, cell.center());
}

void clickMenuItem(QMenu* menu, QAction* action)
{
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

void WindowUnderTest::chooseFromOtherMenu(int row, const QString& objectName) const
{
    clickRow(row, Qt::RightButton);
    QMenu* menu = window->tother();
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000))
        qWarning("the Other menu did not open");
    clickMenuItem(menu, menu->findChild<QAction*>(objectName));
}

void WindowUnderTest::clickHeader(int column) const
{
    showViewTab();
    QHeaderView* header = window->listView1()->horizontalHeader();
    window->listView1()->scrollTo(window->listView1()->model()->index(0, column));
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

QStringList WindowUnderTest::column(int index) const
{
    QStringList texts;
    for (int row = 0; row < window->listView1()->model()->rowCount(); ++row)
        texts.append(listRow(row).value(index));
    return texts;
}

QStringList WindowUnderTest::listRow(int row) const
{
    QStringList texts;
    const QAbstractItemModel* model = window->listView1()->model();
    for (int column = 0; column < model->columnCount(); ++column)
        texts.append(model->index(row, column).data().toString());
    return texts;
}

void writeDatabase(const TestFolder& folder, const Records& records)
{
    QByteArray content;
    for (const QStringList& fields : records) {
        QByteArray plain;
        for (const QString& field : fields)
            plain += field.toLatin1() + '|';
        content += LineCodec::encodeBytes(plain + "\r\n", LineCodec::kApplicationTitle) + "\r\n";
    }
    folder.write(QStringLiteral("Roamlog.ppd"), content);
}

Records readDatabase(const TestFolder& folder, const QString& name)
{
    Records records;
    const QList<QByteArray> lines = folder.read(name).split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        QByteArray plain;
        if (!LineCodec::decodeBytes(line, LineCodec::kApplicationTitle, &plain)) {
            records.append(QStringList{QStringLiteral("<undecodable>")});
            continue;
        }
        plain.truncate(plain.lastIndexOf('|'));
        QStringList fields;
        for (const QByteArray& field : plain.split('|'))
            fields.append(QString::fromLatin1(field));
        records.append(fields);
    }
    return records;
}

QStringList fileColumn(const TestFolder& folder, int index)
{
    QStringList texts;
    for (const QStringList& fields : readDatabase(folder))
        texts.append(fields.value(index));
    return texts;
}

QStringList record(std::initializer_list<std::pair<int, QString>> fields)
{
    QStringList texts(24);
    for (const auto& [column, text] : fields)
        texts[column] = text;
    return texts;
}

struct MessageCatcher::State
{
    QStringList texts;
    QStringList details;
    QStringList captions;
    QList<QMessageBox::StandardButtons> buttons;
    QTimer timer;
};

MessageCatcher::MessageCatcher(QMessageBox::StandardButton answer) : m_state(std::make_shared<State>())
{
    State* state = m_state.get();
    state->timer.setInterval(20);
    QObject::connect(&state->timer, &QTimer::timeout, [state, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        state->texts.append(box->text());
        state->details.append(box->informativeText());
        state->captions.append(box->windowTitle());
        state->buttons.append(box->standardButtons());
        if (QAbstractButton* button = box->button(answer))
            button->click();
        else
            box->done(QMessageBox::Cancel); // a question without that answer is left unanswered
    });
    state->timer.start();
}

MessageCatcher::~MessageCatcher() = default;

QString MessageCatcher::text() const { return m_state->texts.value(0); }
QString MessageCatcher::details() const { return m_state->details.value(0); }
QString MessageCatcher::caption() const { return m_state->captions.value(0); }
QStringList MessageCatcher::texts() const { return m_state->texts; }
int MessageCatcher::count() const { return int(m_state->texts.size()); }
QMessageBox::StandardButtons MessageCatcher::buttons() const { return m_state->buttons.value(0); }
