#include "store/Cp1252.h"
#include "store/LineCodec.h"

#include <QTest>

using namespace Qt::StringLiterals;

class LineCodecTest : public QObject
{
    Q_OBJECT

private slots:
    // Digits worked out by hand: key "Roamlog" = 52 6F 61 6D 6C 6F 67. A null text marks input
    // that only decoding meets.
    void codec_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("decoded"); // short texts come back with their padding
        QTest::newRow("empty") << "" << "7C3D0E0C010308" << ".Roamlo";
        QTest::newRow("e acute E9") << "é" << "BB4133020D020B" << "é.Roaml";
        QTest::newRow("euro 80") << "€" << "D24133020D020B" << "€.Roaml";
        QTest::newRow("one short: dot only") << "Place|" << "0203000E091349" << "Place|.";
        QTest::newRow("the key itself") << "Roamlog" << "00000000000000" << "Roamlog";
        QTest::newRow("leading zero") << "SOAMLOG" << "01202020202020" << "SOAMLOG";
        QTest::newRow("key wraps") << "Café €5|" << "110E07844CEF522E" << "Café €5|";
        QTest::newRow("line breaks") << "a|b|\r\n" << "33130311616549" << "a|b|\r\n.";
        QTest::newRow("nothing") << QString() << "" << "";
        QTest::newRow("lone last digit") << QString() << "000000000000003" << "RoamlogQ";
        QTest::newRow("mixed case") << QString() << "d1Fa" << "ƒ•"; // 83, 95 in Windows-1252
        QTest::newRow("undefined byte 81") << QString() << "D3" << "\u0081";
        QTest::newRow("letter G") << QString() << "0000G0" << "";
        QTest::newRow("blank") << QString() << "00 0" << "";
        QTest::newRow("sign") << QString() << "+1" << "";
        QTest::newRow("bad lone digit") << QString() << "00Z" << "";
        QTest::newRow("not Windows-1252") << QString() << "0\u01000" << "";
    }
    void codec()
    {
        QFETCH(QString, text);
        QFETCH(QString, digits);
        QFETCH(QString, decoded);
        if (!text.isNull())
            QCOMPARE(EncodeLine(text, u"Roamlog"_s), digits);
        QCOMPARE(DecodeLine(digits, u"Roamlog"_s), decoded);
        QCOMPARE(DecodeLine(digits.toLower(), u"Roamlog"_s), decoded);
    }

    void everyByteSurvives()
    {
        QByteArray all(256, Qt::Uninitialized), back;
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QByteArray digits = LineCodec::encodeBytes(all, LineCodec::kApplicationTitle);
        QVERIFY(digits.size() == 512 && digits.startsWith("526E63"));
        QVERIFY(LineCodec::decodeBytes(digits, LineCodec::kApplicationTitle, &back));
        QCOMPARE(back, all);
        const QString text = Cp1252::toUnicode(all);
        QCOMPARE(DecodeLine(EncodeLine(text, u"Roamlog"_s), u"Roamlog"_s), text);
    }

    // Long lines are decoded many digits at a time: every length and key position comes out as
    // it went in, in either letter case, and a lone last digit leaves the line one short (a bad
    // digit anywhere in a long line is the line decoding fuzz target's to find).
    void longLinesDecodeLikeShortOnes()
    {
        QByteArray plain, back;
        for (int i = 0; i < 200; ++i)
            plain.append(char((i * 37 + 11) & 0xFF));
        for (int length = 60; length <= 200; length += 7) {
            const QByteArray text = plain.first(length);
            const QByteArray digits = LineCodec::encodeBytes(text, LineCodec::kApplicationTitle);
            QVERIFY(LineCodec::decodeBytes(digits.toLower(), LineCodec::kApplicationTitle, &back) && back == text);
            QVERIFY(LineCodec::decodeBytes(digits.chopped(1), LineCodec::kApplicationTitle, &back));
            QVERIFY(back.size() == length && back.chopped(1) == text.chopped(1));
            QByteArray damaged = digits;
            damaged[length] = 'G';
            QVERIFY(!LineCodec::decodeBytes(damaged, LineCodec::kApplicationTitle, &back) && back.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(LineCodecTest)
#include "test_linecodec.moc"
