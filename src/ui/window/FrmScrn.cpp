#include "ui/window/FrmScrn.h"

#include "settings/InstallationIdentity.h"
#include "settings/RegistrySettings.h"
#include "atlas/AtlasData.h"
#include "store/PickLists.h"
#include "ui/atlas/AtlasTab.h"
#include "ui/entry/EditHistory.h"
#include "ui/entry/EntryCommands.h"
#include "ui/entry/EntryForm.h"
#include "ui/entry/TextBoxUndoKeys.h"
#include "ui/list/RecordFilterModel.h"
#include "ui/list/RecordListModel.h"
#include "ui/list/RecordListView.h"
#include "ui/list/RecordSearchBox.h"
#include "ui/online/OnlineFeatures.h"
#include "ui/online/ShareCommand.h"
#include "ui/user/UserPanel.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/StatusLine.h"
#include "ui/user/UserTab.h"
#include "ui/window/HelpWindow.h"
#include "ui/window/SettingText.h"
#include "ui/window/Toolbar2Pictures.h"
#include "ui/window/UnloadAll.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr char kShowGridValue[] = "102";
constexpr char kHelpFile[] = "help.html";

// The client area the window opens with: 10410 x 7365 twips.
constexpr int kOpeningWidthTwips = 10410;
constexpr int kOpeningHeightTwips = 7365;

QAction* namedAction(QMenu* menu, const char* objectName, const QString& text)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(objectName));
    return action;
}

} // namespace

FrmScrn::FrmScrn(const ProgramValues& values, ShellOpen open, QWidget* parent)
    : QWidget(parent, Qt::Window), m_values(values), m_open(std::move(open)), m_store(values.folders.data)
{
    setObjectName(QStringLiteral("frmScrn"));
    setWindowTitle(QStringLiteral(" Roamlog"));
    m_model = new RecordListModel(m_store, this);

    buildMenus();
    buildTopStrip();
    buildTabs();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(2);
    auto* topStrip = new QHBoxLayout;
    topStrip->addWidget(m_label10, 1, Qt::AlignBottom);
    topStrip->addWidget(m_frame6, 0, Qt::AlignRight);
    layout->addLayout(topStrip);
    layout->addWidget(m_ssTab1, 1);

    m_commands = new EntryCommands(m_form, m_store, m_model, m_listView1, this, this);
    connect(m_form, &EntryForm::addRequested, this, [this] { m_commands->toolbar1Click(1); });
    connect(m_form, &EntryForm::replaceRequested, this, [this] { m_commands->toolbar1Click(2); });
    connect(m_form, &EntryForm::clearRequested, this, [this] { m_commands->toolbar1Click(3); });
    connect(m_form, &EntryForm::commitRequested, this,
            [this] { m_commands->toolbar1Click(m_commands->formHoldsListedRecord() ? 2 : 1); });
    connect(m_listView1, &RecordListView::fillFormRequested, m_commands, &EntryCommands::pickRecord);
    connect(m_listView1, &RecordListView::otherMenuRequested, this, [this](const QPoint& where, bool fromKeyboard) {
        m_tother->popup(where);
        if (fromKeyboard)
            m_tother->setActiveAction(m_tother->actions().constFirst());
    });
    m_online = new OnlineFeatures(*this);
    m_commands->setStatusLine(m_online->statusLine());
    m_listView1->setSortGuard([this] { return m_commands->refuseIfHeld(); });
    connect(m_commands->history(), &EditHistory::canUndoChanged, m_mnuUndo, &QAction::setEnabled);
    connect(m_commands->history(), &EditHistory::canRedoChanged, m_mnuRedo, &QAction::setEnabled);

    // F1 is looked at on its release, before the control with the focus sees it.
    qApp->installEventFilter(this);

    resize(RecordColumns::twipsToPixels(kOpeningWidthTwips), RecordColumns::twipsToPixels(kOpeningHeightTwips));
}

FrmScrn::~FrmScrn() = default;

void FrmScrn::buildMenus()
{
    // Tools: popped up from Toolbar2.
    m_tmenu = new QMenu(QStringLiteral("Tools"), this);
    m_tmenu->setObjectName(QStringLiteral("Tmenu"));
    m_tmnuWeb = m_tmenu->addMenu(QStringLiteral("Web"));
    m_tmnuWeb->setObjectName(QStringLiteral("TmnuWeb"));
    m_tmnuWeb->menuAction()->setObjectName(QStringLiteral("TmnuWebAction"));
    m_mnuBrowse = namedAction(m_tmnuWeb, "mnuBrowse", QStringLiteral("Browse Records"));
    m_mnuForum = namedAction(m_tmnuWeb, "mnuForum", QStringLiteral("Read Forum"));
    m_sep1 = m_tmenu->addSeparator();
    m_sep1->setObjectName(QStringLiteral("sep1"));
    m_mnuHelp = namedAction(m_tmenu, "mnuHelp", QStringLiteral("Help"));
    m_mnuHelp->setShortcut(QKeySequence(Qt::Key_F1));
    m_mnuHelp->setShortcutContext(Qt::WidgetShortcut); // shown in the menu; F1 itself is handled on release
    m_mnuQuit = namedAction(m_tmenu, "mnuQuit", QStringLiteral("Quit"));
    connect(m_mnuHelp, &QAction::triggered, this, &FrmScrn::openHelp);
    connect(m_mnuQuit, &QAction::triggered, this, &FrmScrn::quit);

    // Other: popped up from the record list.
    m_tother = new QMenu(QStringLiteral("Other"), this);
    m_tother->setObjectName(QStringLiteral("Tother"));
    m_mnuRemoveEntry = namedAction(m_tother, "mnuRemoveEntry", QStringLiteral("Remove"));
    m_mnuShare = namedAction(m_tother, "mnuShare", QStringLiteral("Share"));
    m_mnulines = namedAction(m_tother, "mnulines", QStringLiteral("Show grid"));
    m_mnulines->setCheckable(true);
    connect(m_mnuRemoveEntry, &QAction::triggered, this, [this] { m_commands->RemoveEntry(); });
    connect(m_mnuShare, &QAction::triggered, this, &FrmScrn::requestShare);
    connect(m_mnulines, &QAction::triggered, this, &FrmScrn::toggleShowGrid);

    // Undo and Redo: in the menu, and from the keyboard anywhere in the window (a text box
    // keeps Ctrl+Z for its own typing).
    m_mnuUndo = namedAction(m_tother, "mnuUndo", QStringLiteral("Undo"));
    m_mnuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_mnuRedo = namedAction(m_tother, "mnuRedo", QStringLiteral("Redo"));
    m_mnuRedo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    for (QAction* step : {m_mnuUndo, m_mnuRedo}) {
        step->setEnabled(false);
        addAction(step);
    }
    connect(m_mnuUndo, &QAction::triggered, this, [this] { m_commands->Undo(); });
    connect(m_mnuRedo, &QAction::triggered, this, [this] { m_commands->Redo(); });
}

void FrmScrn::buildTopStrip()
{
    m_label10 = new QLabel(this);
    m_label10->setObjectName(QStringLiteral("Label10"));
    QFont statusFont(QStringLiteral("Lucida Console"));
    statusFont.setFamilies({QStringLiteral("Lucida Console"), QStringLiteral("Consolas"),
                            QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono")});
    statusFont.setStyleHint(QFont::TypeWriter);
    statusFont.setFixedPitch(true);
    m_label10->setFont(statusFont);
    m_label10->setMinimumHeight(QFontMetrics(statusFont).height() + 4);
    m_label10->setAccessibleName(QStringLiteral("Status"));
    m_label10->setTextFormat(Qt::PlainText);

    m_frame6 = new QFrame(this);
    m_frame6->setObjectName(QStringLiteral("Frame6"));
    m_toolbar2 = new QToolBar(m_frame6);
    m_toolbar2->setObjectName(QStringLiteral("Toolbar2"));
    m_toolbar2->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar2->setIconSize(QSize(24, 24));
    m_toolbar2->setFloatable(false);
    m_toolbar2->setMovable(false);
    const QIcon icons[3] = {Toolbar2Pictures::share(), Toolbar2Pictures::tools(), Toolbar2Pictures::quit()};
    const QString names[3] = {QStringLiteral("Share"), QStringLiteral("Tools"), QStringLiteral("Quit")};
    for (int i = 0; i < 3; ++i) {
        QAction* button = m_toolbar2->addAction(icons[i], names[i]);
        button->setObjectName(QStringLiteral("Toolbar2Button%1").arg(i + 1));
        button->setToolTip(names[i]);
        if (QWidget* widget = m_toolbar2->widgetForAction(button)) {
            widget->setAccessibleName(names[i]);
            widget->setFocusPolicy(Qt::TabFocus);
        }
        connect(button, &QAction::triggered, this, [this, i] { toolbar2Click(i + 1); });
        m_toolbar2Buttons[i] = button;
    }
    auto* frameLayout = new QHBoxLayout(m_frame6);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->addWidget(m_toolbar2);
}

void FrmScrn::buildTabs()
{
    m_ssTab1 = new QTabWidget(this);
    m_ssTab1->setObjectName(QStringLiteral("SSTab1"));
    m_ssTab1->setDocumentMode(false);
    QFont tabFont = m_ssTab1->tabBar()->font();
    tabFont.setFamilies({QStringLiteral("Century Gothic"), tabFont.family()});
    m_ssTab1->tabBar()->setFont(tabFont);

    m_listView1 = new RecordListView(m_model);
    auto* viewPage = new QWidget;
    viewPage->setObjectName(QStringLiteral("ViewTab"));
    auto* viewLayout = new QVBoxLayout(viewPage);
    viewLayout->setContentsMargins(4, 4, 4, 4);
    m_searchBox = new RecordSearchBox(m_listView1, this);
    viewLayout->addWidget(m_searchBox);
    viewLayout->addWidget(m_listView1);

    m_form = new EntryForm(m_open);
    auto* editPage = new QScrollArea;
    editPage->setObjectName(QStringLiteral("EditTab"));
    editPage->setWidgetResizable(true);
    editPage->setFrameShape(QFrame::NoFrame);
    // The page only scrolls the form: Tab goes straight to its fields.
    editPage->setFocusPolicy(Qt::NoFocus);
    editPage->setWidget(m_form);
    // The window never gets smaller than the form needs, so no control of it is squeezed.
    editPage->setMinimumSize(m_form->minimumSizeHint());

    m_userTab = new UserTab;

    m_ssTab1->addTab(viewPage, QStringLiteral("View"));
    m_ssTab1->addTab(editPage, QStringLiteral("Edit"));
    m_ssTab1->addTab(m_userTab, QStringLiteral("User"));

    m_atlasTab = new AtlasTab(m_model, m_store, m_values.sharedFilePath(QLatin1String(AtlasData::kFolder)));
    m_ssTab1->addTab(m_atlasTab, QStringLiteral("Atlas"));
    connect(m_atlasTab, &AtlasTab::countryChosen, this, &FrmScrn::showCountry);
}

QAction* FrmScrn::toolbar2Button(int index) const
{
    return index >= 1 && index <= 3 ? m_toolbar2Buttons[index - 1] : nullptr;
}

void FrmScrn::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        load();
    }
}

void FrmScrn::load()
{
    // 1. The installation record.
    const InstallationIdentity::Fields installation =
        InstallationIdentity::ReadInstallationRecord(m_values.registryKeyPath);

    // 2. The grid lines and the Show grid check mark, from the same value.
    const bool grid = SettingText::isOn(RegistrySettings::GetRegistryValue(
        RegistrySettings::Root::CurrentUser, m_values.registryKeyPath, QLatin1String(kShowGridValue)));
    m_listView1->setShowGrid(grid);
    m_mnulines->setChecked(grid);

    // 3. An empty form.
    ClearEntryFields();

    // 4. The installation ID.
    m_userTab->label2()->setText(installation[4]);

    // 5. The user information: "200" and "201" into the boxes, "202" into the anonymous box.
    for (int i = 0; i < UserTab::Text3Count; ++i)
        m_userTab->text3(i)->setText(RegistrySettings::GetRegistryValue(
            RegistrySettings::Root::CurrentUser, m_values.registryKeyPath, UserPanel::valueName(i)));
    const QString anonymous = RegistrySettings::GetRegistryValue(
        RegistrySettings::Root::CurrentUser, m_values.registryKeyPath, UserPanel::valueName(UserTab::Text3Count));
    m_userTab->check1()->setChecked(SettingText::leadingWholeNumber(anonymous) != 0);

    // 6. The starting tab: the form while there are no records, where typing starts at once.
    m_ssTab1->setCurrentIndex(m_store.rowCount() == 0 ? EditTab : ViewTab);
    if (m_ssTab1->currentIndex() == EditTab)
        m_form->text1Box(0)->setFocus(Qt::OtherFocusReason);

    // The Atlas's map data is read on a worker thread meanwhile.
    m_atlasTab->startLoading();

    emit loaded();
}

void FrmScrn::LoadPickLists(const PickLists& lists)
{
    m_form->LoadPickLists(lists);
}

void FrmScrn::LoadDatabase()
{
    if (!lockFolder())
        return;
    LoadReport report;
    m_model->resetWith([this, &report] { report = m_store.LoadDatabase(); });
    reportLoad(report);
}

bool FrmScrn::lockFolder()
{
    const QString why = m_store.lockFolder(0);
    if (why.isEmpty())
        return true;
    const QString reason = why.front().toUpper() + why.mid(1) + u'.';
    const QString text = m_store.folderHeldElsewhere() ? QStringLiteral("The travel log is open in another Roamlog.")
                                                       : QStringLiteral("Changes to the travel log cannot be saved.");
    if (!QuestionMessage::askOpenReadOnly(
            this, text, reason + QStringLiteral("\n\nOpened read-only, this window shows the records but saves no change."))) {
        close();
        return false;
    }
    m_store.openReadOnly(QStringLiteral("this window is read-only: %1").arg(why));
    m_online->statusLine()->setText(QStringLiteral("Read-only: ") + reason);
    return true;
}

void FrmScrn::reportLoad(const LoadReport& report)
{
    const QString file = QLatin1String(DatabaseFile::kFileName);
    QStringList notes;
    if (report.unreadableLines > 0) {
        notes.append(report.unreadableLines == 1
                         ? QStringLiteral("1 line of %1 could not be read; it is kept in the file.").arg(file)
                         : QStringLiteral("%1 lines of %2 could not be read; they are kept in the file.")
                               .arg(report.unreadableLines)
                               .arg(file));
    }
    if (report.incompleteRecords > 0) {
        notes.append(report.incompleteRecords == 1
                         ? QStringLiteral("1 record of %1 ends part-way; its missing fields are empty.").arg(file)
                         : QStringLiteral("%1 records of %2 end part-way; their missing fields are empty.")
                               .arg(report.incompleteRecords)
                               .arg(file));
    }
    if (!notes.isEmpty())
        m_online->statusLine()->setText(notes.join(u' '));
    if (report.fileFound && !report.readToEnd()) {
        // Whatever was not read would be lost by the next rewrite: the store writes nothing this run.
        m_commands->setReadFailure(report.readError);
        OkMessage::show(this, QStringLiteral("%1 could not be read to its end.").arg(file),
                        QStringLiteral("%1\n\nThe list shows %2 records read before the fault. No change will be "
                                       "saved until the program is restarted.")
                            .arg(report.readError)
                            .arg(report.records),
                        QMessageBox::Warning);
    }
}

void FrmScrn::clearRecordList()
{
    m_model->resetWith([this] { m_store.clear(); });
}

void FrmScrn::ClearEntryFields()
{
    m_form->ClearEntryFields();
}

void FrmScrn::toolbar2Click(int index)
{
    switch (index) {
    case 1:
        requestShare();
        break;
    case 2:
        popUpToolsMenu();
        break;
    case 3:
        quit();
        break;
    default:
        break;
    }
}

void FrmScrn::showCountry(int country)
{
    if (country < 0)
        return;
    // The count then tells the records of that country among all; the search words go, so
    // that it counts them all.
    m_searchBox->edit()->clear();
    m_listView1->filter()->setPlace(m_atlasTab->countryName(country),
                                    [tab = m_atlasTab, country](int row) { return tab->rowIsIn(row, country); });
    m_ssTab1->setCurrentIndex(ViewTab);
    m_listView1->setFocus(Qt::OtherFocusReason);
}

void FrmScrn::requestShare()
{
    // Share rewrites the file with the marks it gets, so it starts from what the file holds.
    if (!m_commands->refuseIfReadOnly() && m_commands->catchUp())
        emit shareRequested();
}

void FrmScrn::popUpToolsMenu()
{
    // At the mouse; when the button was worked from the keyboard, below the button.
    QPoint where = QCursor::pos();
    if (QWidget* button = m_toolbar2->widgetForAction(m_toolbar2Buttons[1])) {
        if (!button->rect().contains(button->mapFromGlobal(where)))
            where = button->mapToGlobal(button->rect().bottomLeft());
    }
    m_tmenu->popup(where);
}

void FrmScrn::toggleShowGrid()
{
    // QAction has already flipped its check mark; the grid flips on its own, as both start equal.
    m_listView1->setShowGrid(!m_listView1->showGrid());
    RegistrySettings::SetRegistryString(RegistrySettings::Root::CurrentUser, m_values.registryKeyPath,
                                        QLatin1String(kShowGridValue),
                                        m_mnulines->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
}

void FrmScrn::openHelp()
{
    const QString path = m_values.sharedFilePath(QLatin1String(kHelpFile));
    // A missing help file opens nothing and says nothing; without a browser the program shows
    // the page itself.
    if (QFileInfo::exists(path) && !m_open(QUrl::fromLocalFile(path))) {
        auto* help = new HelpWindow(path, this);
        help->show();
        help->raise();
        help->activateWindow();
    }
}

void FrmScrn::quit()
{
    // Before the list is emptied: the marks a share has received so far are saved with it.
    m_online->share()->endNow();
    UnloadAll(*this);
}

void FrmScrn::closeEvent(QCloseEvent* event)
{
    m_online->share()->endNow();
    QWidget::closeEvent(event);
}

bool FrmScrn::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // Left unaccepted, the key reaches the window's Undo or Redo.
        if (widget && widget->window() == this
            && !TextBoxUndoKeys::boxKeepsKey(watched, *static_cast<QKeyEvent*>(event))) {
            event->ignore();
            return true;
        }
    }
    if (event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        // A key event travels from the focus widget up to its parents; act on its first stop only.
        if (key->key() == Qt::Key_F1 && !key->isAutoRepeat() && widget && widget->window() == this) {
            QWidget* first = QApplication::focusWidget();
            if (!first || first->window() != this)
                first = this;
            if (widget == first)
                openHelp();
        }
    }
    return QWidget::eventFilter(watched, event);
}
