#include "store/PickLists.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

class ShippedPickListsTest : public QObject
{
    Q_OBJECT

private slots:
    // The pick lists shipped beside the program and the tool: CR LF throughout, as every Windows
    // editor shows and keeps it; every country once, with a telephone code; every list filled.
    void everyCountryHasItsCodeAndEveryListEntries()
    {
        QFile file(QStringLiteral(ROAMLOG_COMBOS_PATH));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.count('\n') == bytes.count("\r\n") && bytes.endsWith("\r\n"));
        const PickLists lists = parsePickLists(bytes);
        const QStringList& countries = lists.lists[0];
        QVERIFY(countries.size() >= 195 && lists.telephoneCodes.size() == countries.size());
        QCOMPARE(QSet<QString>(countries.begin(), countries.end()).size(), countries.size());
        const QRegularExpression code(u"^[1-9][0-9]*(-[0-9]+)?$"_s);
        for (qsizetype k = 0; k < countries.size(); ++k)
            QVERIFY2(code.match(lists.telephoneCodes[k]).hasMatch(), qPrintable(countries[k]));
        for (const auto& [country, expected] : {std::pair{u"United States"_s, u"1"_s}, {u"United Kingdom"_s, u"44"_s}, {u"C\u00F4te d'Ivoire"_s, u"225"_s}})
            QCOMPARE(lists.telephoneCodes.value(countries.indexOf(country)), expected);
        for (int box = 1; box < PickLists::BoxCount; ++box)
            QVERIFY2(lists.lists[size_t(box)].size() >= 5, qPrintable(QString::number(box)));
        QVERIFY(lists.lists[1].contains(u"Caf\u00E9"_s));
    }
};

QTEST_GUILESS_MAIN(ShippedPickListsTest)
#include "ShippedPickListsTest.moc"
