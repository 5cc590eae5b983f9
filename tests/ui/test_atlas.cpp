#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "atlas/MapProjection.h"
#include "ui/atlas/AtlasTab.h"
#include "ui/atlas/TallyChart.h"
#include "ui/atlas/WorldMapView.h"
#include "ui/list/RecordListView.h"
#include "ui/list/RecordSearchBox.h"
#include "ui/window/FrmScrn.h"

#include <QDir>
#include <QLabel>
#include <QTest>

// The Atlas tab follows the record list, and a country of it shows that country's records.
class AtlasTabTest : public QObject
{
    Q_OBJECT
private slots:
    void followsAnAddAndItsUndo();
};

void AtlasTabTest::followsAnAddAndItsUndo()
{
    TestFolder folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("atlas")));
    for (const char* name : {"countries.tsv", "countries-50m.json", "cities.tsv"})
        QVERIFY(QFile::copy(QStringLiteral(ROAMLOG_ATLAS_DATA "/") + QLatin1String(name),
                            folder.filePath(QStringLiteral("atlas/")) + QLatin1String(name)));
    writeDatabase(folder, {record({{0, QStringLiteral("Inn")}, {8, QStringLiteral("Spain")}})});
    WindowUnderTest w(folder);
    AtlasTab* atlas = w->atlasTab();
    w->ssTab1()->setCurrentIndex(FrmScrn::AtlasTabIndex);
    QTRY_COMPARE(atlas->summary()->text(), QStringLiteral("1 country, 0 cities, 1 record"));

    w->ssTab1()->setCurrentIndex(FrmScrn::EditTab);
    w.type(QStringLiteral("Text1(0)"), QStringLiteral("Hotel Central"));
    w.type(QStringLiteral("Combo1(0)"), QStringLiteral("france"));
    w.type(QStringLiteral("Text1(2)"), QStringLiteral("Paris"));
    w.clickToolbar1(1);
    w->ssTab1()->setCurrentIndex(FrmScrn::AtlasTabIndex);
    QCOMPARE(atlas->summary()->text(), QStringLiteral("2 countries, 1 city, 2 records"));
    const auto charts = atlas->findChildren<TallyChart*>(); // brought up to date when shown
    QVERIFY(std::any_of(charts.begin(), charts.end(), [](auto* c) { return c->text() == QStringLiteral("no date: 2"); }));
    const QPointF paris = atlas->map()->origin() + MapProjection::toMap(QPointF(2.35, 48.85)) * atlas->map()->scale();
    QCOMPARE(atlas->map()->toolTipAt(paris), QStringLiteral("France: 1 record, 1 city"));
    // A double-click on the country shows its records only, until Escape.
    QTest::mouseDClick(atlas->map(), Qt::LeftButton, {}, paris.toPoint());
    QCOMPARE(w->ssTab1()->currentIndex(), int(FrmScrn::ViewTab));
    QCOMPARE(w->searchBox()->countLabel()->text(), QStringLiteral("1 of 2 records in France"));
    QTest::keyClick(w->listView1(), Qt::Key_Escape);
    QCOMPARE(w->searchBox()->countLabel()->text(), QStringLiteral("2 records"));
    QTest::keyClick(w->listView1(), Qt::Key_Z, Qt::ControlModifier);
    w->ssTab1()->setCurrentIndex(FrmScrn::AtlasTabIndex);
    QCOMPARE(atlas->summary()->text(), QStringLiteral("1 country, 0 cities, 1 record"));
}

QTEST_MAIN(AtlasTabTest)
#include "test_atlas.moc"
