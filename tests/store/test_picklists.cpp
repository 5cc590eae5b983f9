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
        QCOMPARE(read.lists[0], (QStringList{u"Before"_s, u"United States"_s, u"United Kingdom of Great Britain"_s, u"Atlantis"_s, u"France"_s}));
        // Every country has its code, empty when the line gave none.
        QCOMPARE(read.telephoneCodes, (QStringList{{}, u"1"_s, u"44"_s, {}, u"33"_s}));
        // "[" alone, unknown names, wrong case and a missing "]" keep the box chosen last.
        QCOMPARE(read.lists[1], (QStringList{u"Hotel"_s, u"Inn, \"B&B\""_s, u"Red"_s, u"x"_s, u"Cheap"_s, u"Shop"_s, u"A"_s, u"B"_s}));
        QStringList others;
        for (int box = 2; box < PickLists::BoxCount; ++box)
            others << read.lists[size_t(box)].join(u'+');
        QCOMPARE(others, (QStringList{u"None"_s, u"5 Good"_s, u"$"_s, u"Cash"_s, u"étoile"_s}));

        const PickLists none = LoadPickLists(folder.filePath(u"missing.ini"_s));
        QVERIFY(none.telephoneCodes.isEmpty());
        for (const QStringList& list : none.lists)
            QVERIFY(list.isEmpty());
    }

    // The same lists whichever line end the editor wrote, and whichever encoding it marked;
    // without the mark the bytes are Windows-1252, even where they would be valid UTF-8.
    void lineEndsAndEncodings_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("type");
        const QByteArray lines = "[Ph code]|49 Deutschland||[Type]|H\xF4tel|Caf\xE9 bar";
        const QString types = u"H\u00F4tel Caf\u00E9 bar"_s;
        QTest::newRow("CR LF") << QByteArray(lines).replace('|', "\r\n") << types;
        QTest::newRow("CR") << QByteArray(lines).replace('|', '\r') << types;
        QTest::newRow("LF") << QByteArray(lines).replace('|', '\n') << types;
        QTest::newRow("mixed") << QByteArray("[Ph code]\n49 Deutschland\r\n\r[Type]\rH\xF4tel\nCaf\xE9 bar") << types;
        QTest::newRow("UTF-8 with byte order mark") << QByteArray("\xEF\xBB\xBF[Ph code]\n49 Deutschland\n\n[Type]\nH\xC3\xB4tel\nCaf\xC3\xA9 bar\n") << types;
        QTest::newRow("UTF-8 without mark") << QByteArray("[Ph code]\n49 Deutschland\n[Type]\nCaf\xC3\xA9\n") << u"Caf\u00C3\u00A9"_s;
    }
    void lineEndsAndEncodings()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, type);
        const PickLists read = parsePickLists(content);
        QVERIFY(read.lists[0] == QStringList{u"Deutschland"_s} && read.telephoneCodes == QStringList{u"49"_s});
        QCOMPARE(read.lists[1].join(u' '), type);
    }
};

QTEST_GUILESS_MAIN(PickListsTest)
#include "test_picklists.moc"
