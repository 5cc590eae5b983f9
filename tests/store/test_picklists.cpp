#include "TestFolder.h"

#include "store/PickLists.h"

#include <QTest>

using namespace Qt::StringLiterals;

class PickListsTest : public QObject
{
    Q_OBJECT

private slots:
    void sectionsAndLines()
    {
        // Lines end at CR LF, CR or LF; the last line has no end.
        const QByteArray content =
            "Before\r[Ph code]\r\n1 United States\r\n44 United Kingdom of Great Britain\r\n"
            "Atlantis\r\n\r\n[Type]\r\nHotel\r\n[\r\nInn, \"B&B\"\r\n[Colors]\r\nRed\r\n[cost]\r\n"
            "x\r\n[Cost\r\nCheap\r\n[Cost]\r\n$\r\n[Ph code]\r\n33 France\r\n[Type]\r\nShop\r\n"
            "A\nB\r\n[Reservation]\r\nNone\r\n[Satisfaction]\r\n5 Good\r\n[Requirements]\r\n"
            "Cash\r\n[Posted]\r\n\xE9toile";
        TestFolder folder;
        QVERIFY(folder.write(u"combos.ini"_s, content));
        const PickLists read = LoadPickLists(folder.filePath(u"combos.ini"_s));
        QCOMPARE(read.lists[0], (QStringList{u"Before"_s, u"United States"_s,
                                             u"United Kingdom of Great Britain"_s, u"Atlantis"_s,
                                             u"France"_s}));
        // Every country has its code, empty when the line gave none.
        QCOMPARE(read.telephoneCodes, (QStringList{{}, u"1"_s, u"44"_s, {}, u"33"_s}));
        // "[" alone, unknown names, wrong case and a missing "]" keep the box chosen last.
        QCOMPARE(read.lists[1], (QStringList{u"Hotel"_s, u"Inn, \"B&B\""_s, u"Red"_s, u"x"_s,
                                             u"Cheap"_s, u"Shop"_s, u"A"_s, u"B"_s}));
        QCOMPARE(read.lists[2], QStringList{u"None"_s});
        QCOMPARE(read.lists[3], QStringList{u"5 Good"_s});
        QCOMPARE(read.lists[4], QStringList{u"$"_s});
        QCOMPARE(read.lists[5], QStringList{u"Cash"_s});
        QCOMPARE(read.lists[6], QStringList{u"étoile"_s});

        const PickLists none = LoadPickLists(folder.filePath(u"missing.ini"_s));
        QVERIFY(none.telephoneCodes.isEmpty());
        for (const QStringList& list : none.lists)
            QVERIFY(list.isEmpty());
    }

    // The same lists whichever line end the editor wrote, and whichever encoding it marked.
    void lineEndsAndEncodings_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QByteArray lines[] = {"[Ph code]", "49 Deutschland", "", "[Type]", "H\xF4tel",
                                    "Caf\xE9 bar"};
        const auto joined = [&](QByteArrayView end) {
            QByteArray content;
            for (const QByteArray& line : lines)
                content += line + end.toByteArray();
            return content;
        };
        QTest::newRow("CR LF") << joined("\r\n");
        QTest::newRow("CR") << joined("\r");
        QTest::newRow("LF") << joined("\n");
        QTest::newRow("mixed")
            << QByteArray("[Ph code]\n49 Deutschland\r\n\r[Type]\rH\xF4tel\nCaf\xE9 bar");
        QTest::newRow("UTF-8 with byte order mark")
            << QByteArray("\xEF\xBB\xBF[Ph code]\n49 Deutschland\n\n[Type]\nH\xC3\xB4tel\n"
                          "Caf\xC3\xA9 bar\n");
    }

    void lineEndsAndEncodings()
    {
        QFETCH(QByteArray, content);
        const PickLists read = parsePickLists(content);
        QCOMPARE(read.lists[0], QStringList{u"Deutschland"_s});
        QCOMPARE(read.telephoneCodes, QStringList{u"49"_s});
        QCOMPARE(read.lists[1], (QStringList{u"H\u00F4tel"_s, u"Caf\u00E9 bar"_s}));
    }

    // Without the mark the bytes are Windows-1252, even where they would be valid UTF-8.
    void utf8BytesWithoutMarkAreWindows1252()
    {
        const PickLists read = parsePickLists("[Type]\nCaf\xC3\xA9\n");
        QCOMPARE(read.lists[1], QStringList{u"Caf\u00C3\u00A9"_s});
    }
};

QTEST_GUILESS_MAIN(PickListsTest)
#include "test_picklists.moc"
