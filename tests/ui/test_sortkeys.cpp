#include "ui/list/RecordSearchIndex.h"

#include "store/TravelRecord.h"

#include <QTest>

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

} // namespace

// The search index's text of a record; folding itself is tested with the store.
class TestSortKeys : public QObject
{
    Q_OBJECT

private slots:
    void searchTextKeepsColumnsApart();
};

void TestSortKeys::searchTextKeepsColumnsApart()
{
    TravelRecord record;
    QVERIFY(!record.setField(0, s("Hut")));
    QVERIFY(!record.setField(10, s("Oslo")));
    QVERIFY(!record.setField(23, s("83211")));
    const QString text = RecordSearchIndex::foldedText(record);
    QVERIFY(text.contains(s("hut")) && text.contains(s("oslo")));
    QVERIFY(!text.contains(s("83211"))); // the upload mark is not shown
    QVERIFY(!text.contains(s("hutoslo")) && !text.contains(s("hut oslo")));
}

QTEST_MAIN(TestSortKeys)
#include "test_sortkeys.moc"
