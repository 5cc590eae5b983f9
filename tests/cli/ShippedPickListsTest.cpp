#include "TestFolder.h"

#include "store/PickLists.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

class ShippedPickListsTest : public QObject
{
    Q_OBJECT

private slots:
    void everyCountryHasItsCodeAndEveryListEntries();
};

void ShippedPickListsTest::everyCountryHasItsCodeAndEveryListEntries()
{
    TestFolder folder;
    QFile file(QStringLiteral(ROAMLOG_COMBOS_PATH));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // CR LF throughout, as every Windows editor shows and keeps it.
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QVERIFY(bytes.endsWith("\r\n"));

    const PickLists lists = LoadPickLists(QStringLiteral(ROAMLOG_COMBOS_PATH));
    const QStringList& countries = lists.lists[0];
    QVERIFY(countries.size() >= 195);
    QCOMPARE(lists.telephoneCodes.size(), countries.size());
    const QRegularExpression code(QStringLiteral("^[1-9][0-9]*(-[0-9]+)?$"));
    for (qsizetype k = 0; k < countries.size(); ++k)
        QVERIFY2(code.match(lists.telephoneCodes[k]).hasMatch(), qPrintable(countries[k]));
    QCOMPARE(QSet<QString>(countries.begin(), countries.end()).size(), countries.size());

    const auto codeOf = [&](const QString& country) {
        const qsizetype k = countries.indexOf(country);
        return k < 0 ? QString() : lists.telephoneCodes[k];
    };
    QCOMPARE(codeOf(QStringLiteral("United States")), QStringLiteral("1"));
    QCOMPARE(codeOf(QStringLiteral("United Kingdom")), QStringLiteral("44"));
    QCOMPARE(codeOf(QStringLiteral("C\u00F4te d'Ivoire")), QStringLiteral("225"));

    for (int box = 1; box < PickLists::BoxCount; ++box)
        QVERIFY2(lists.lists[size_t(box)].size() >= 5, qPrintable(QString::number(box)));
    QVERIFY(lists.lists[1].contains(QStringLiteral("Caf\u00E9")));
}

QTEST_GUILESS_MAIN(ShippedPickListsTest)
#include "ShippedPickListsTest.moc"
