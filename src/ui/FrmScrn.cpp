#include "ui/FrmScrn.h"

#include "store/PickLists.h"
#include "store/RecordColumns.h"
#include "ui/RecordListModel.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

FrmScrn::FrmScrn(const ProgramValues& values, ShellOpen open, QWidget* parent)
    : QWidget(parent, Qt::Window), m_values(values), m_open(std::move(open)), m_store(values.programFolder)
{
    setObjectName(QStringLiteral("frmScrn"));
    setWindowTitle(QStringLiteral(" Roamlog"));
    m_model = new RecordListModel(m_store, this);
    m_listView1 = new QTableView(this);
    m_listView1->setObjectName(QStringLiteral("ListView1"));
    m_listView1->setModel(m_model);
    m_listView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listView1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listView1->verticalHeader()->hide();
    for (int column = 0; column < RecordColumns::Count; ++column)
        m_listView1->setColumnWidth(column, RecordColumns::twipsToPixels(RecordColumns::widthTwips(column)));
    m_listView1->setColumnHidden(RecordColumns::UploadMark, true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_listView1);
    resize(RecordColumns::twipsToPixels(10410), RecordColumns::twipsToPixels(7365));
}

FrmScrn::~FrmScrn() = default;

void FrmScrn::LoadPickLists(const PickLists& lists)
{
    Q_UNUSED(lists);
}

void FrmScrn::LoadDatabase()
{
    m_store.clear();
    m_store.LoadDatabase();
    m_model->resetFromStore();
}

void FrmScrn::clearRecordList()
{
    m_store.clear();
    m_model->resetFromStore();
}
