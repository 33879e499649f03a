// tst_forms.cpp: rounding, integer conversion, the leading-number reader and the generators.
#include "forms/numbers.h"
#include "forms/random.h"

#include <QTest>

#include <cmath>
#include <limits>

class tst_Forms : public QObject
{
    Q_OBJECT

private slots:
    void toLongRoundsHalvesToEven_data();
    void toLongRoundsHalvesToEven();
    void toIntegerReportsOverflow();
    void integerDivisionTruncates();
    void val_data();
    void val();
    void valOverflowIsAnError();
    void decimalText();
    void twipsToPixels();
    void clockRandomSequenceIsPinned();
    void clockRandomStaysInRange();
    void scriptedRandomPlaysBackAndRepeats();
};

void tst_Forms::toLongRoundsHalvesToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("0.5 down to 0") << 0.5 << 0;
    QTest::newRow("1.5 up to 2") << 1.5 << 2;
    QTest::newRow("2.5 down to 2") << 2.5 << 2;
    QTest::newRow("-0.5 to 0") << -0.5 << 0;
    QTest::newRow("-1.5 to -2") << -1.5 << -2;
    QTest::newRow("-2.5 to -2") << -2.5 << -2;
    QTest::newRow("just above a half") << 2.5000001 << 3;
    QTest::newRow("just below a half") << 3.4999999 << 3;
    QTest::newRow("62.5 to 62") << 62.5 << 62;
    QTest::newRow("187.5 to 188") << 187.5 << 188;
    QTest::newRow("4505.5 to 4506") << 4505.5 << 4506;
    QTest::newRow("4504.5 to 4504") << 4504.5 << 4504;
    QTest::newRow("largest") << 2147483647.4 << 2147483647;
    QTest::newRow("smallest") << -2147483648.5 << int(-2147483647 - 1);
}

void tst_Forms::toLongRoundsHalvesToEven()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    const auto rounded = forms::ToLong(value);
    QVERIFY(rounded.has_value());
    QCOMPARE(*rounded, expected);
    // The 16-bit conversion rounds the same way wherever the value fits.
    if (expected >= -32768 && expected <= 32767)
        QCOMPARE(int(forms::ToInteger(value).value_or(-1)), expected);
}

void tst_Forms::toIntegerReportsOverflow()
{
    QCOMPARE(forms::ToInteger(32767.4), std::optional<std::int16_t>(32767));
    QCOMPARE(forms::ToInteger(-32768.5), std::optional<std::int16_t>(-32768));   // ties to even
    QVERIFY(!forms::ToInteger(32767.5).has_value());                            // rounds to 32768
    QVERIFY(!forms::ToInteger(-32769.0).has_value());
    QVERIFY(!forms::ToInteger(1e10).has_value());
    QVERIFY(!forms::ToLong(2147483647.5).has_value());
    QVERIFY(!forms::ToLong(-2147483649.0).has_value());
    QVERIFY(!forms::ToLong(std::numeric_limits<double>::quiet_NaN()).has_value());
    QVERIFY(!forms::ToLong(std::numeric_limits<double>::infinity()).has_value());
}

void tst_Forms::integerDivisionTruncates()
{
    QCOMPARE(forms::IntDiv(4500, 6), 750);
    QCOMPARE(forms::IntDiv(4505, 6), 750);
    QCOMPARE(forms::IntDiv(-7, 5), -1);
    QCOMPARE(forms::IntMod(-7, 5), -2);   // the sign of the dividend
    QCOMPARE(forms::IntMod(29, 5), 4);
    QCOMPARE(forms::IntMod(1000, 30), 10);
}

void tst_Forms::val_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("tile text") << QByteArray("13") << 13.0;
    QTest::newRow("zero") << QByteArray("0") << 0.0;
    QTest::newRow("empty") << QByteArray("") << 0.0;
    QTest::newRow("no number") << QByteArray("абв") << 0.0;
    QTest::newRow("blanks around") << QByteArray("  29 ") << 29.0;
    QTest::newRow("blanks inside") << QByteArray("1 2\t3") << 123.0;
    QTest::newRow("line breaks ignored") << QByteArray("\r\n7") << 7.0;
    QTest::newRow("plus sign") << QByteArray("+5") << 5.0;
    QTest::newRow("minus sign") << QByteArray("-17") << -17.0;
    QTest::newRow("sign alone") << QByteArray("-") << 0.0;
    QTest::newRow("decimal point") << QByteArray("2.75") << 2.75;
    QTest::newRow("leading point") << QByteArray(".5") << 0.5;
    QTest::newRow("trailing text") << QByteArray("13 и 4") << 13.0;   // blanks vanish, then "и" ends it
    QTest::newRow("stops at a letter") << QByteArray("12abc") << 12.0;
    QTest::newRow("second point ends it") << QByteArray("1.2.3") << 1.2;
    QTest::newRow("exponent") << QByteArray("1.5E3") << 1500.0;
    QTest::newRow("D exponent") << QByteArray("2d2") << 200.0;
    QTest::newRow("negative exponent") << QByteArray("25e-1") << 2.5;
    QTest::newRow("exponent without digits") << QByteArray("7e") << 7.0;
    QTest::newRow("comma is not a point") << QByteArray("3,5") << 3.0;
    QTest::newRow("hexadecimal") << QByteArray("&H1F") << 31.0;
    QTest::newRow("hexadecimal 16-bit wraps") << QByteArray("&HFFFF") << -1.0;
    QTest::newRow("hexadecimal long") << QByteArray("&H10000") << 65536.0;
    QTest::newRow("octal") << QByteArray("&O17") << 15.0;
    QTest::newRow("underflow reads as zero") << QByteArray("1e-400") << 0.0;
}

void tst_Forms::val()
{
    QFETCH(QByteArray, text);
    QFETCH(double, expected);
    const auto value = forms::Val(std::string_view(text.constData(), std::size_t(text.size())));
    QVERIFY(value.has_value());
    QCOMPARE(*value, expected);
}

void tst_Forms::valOverflowIsAnError()
{
    QVERIFY(!forms::Val("1e400").has_value());
    QVERIFY(!forms::Val("-9" + std::string(400, '9')).has_value());
    QCOMPARE(forms::Val("0e400"), std::optional<double>(0.0));
}

void tst_Forms::decimalText()
{
    QCOMPARE(forms::DecimalText(0), std::string("0"));
    QCOMPARE(forms::DecimalText(7), std::string("7"));
    QCOMPARE(forms::DecimalText(29), std::string("29"));
    QCOMPARE(forms::DecimalText(100000), std::string("100000"));
}

void tst_Forms::twipsToPixels()
{
    QCOMPARE(forms::TwipsToPixels(6990), 466);
    QCOMPARE(forms::TwipsToPixels(1710), 114);
    QCOMPARE(forms::TwipsToPixels(7.5), 0);    // half a pixel ties to even
    QCOMPARE(forms::TwipsToPixels(22.5), 2);
}

void tst_Forms::clockRandomSequenceIsPinned()
{
    forms::ClockRandom random(12345);
    QCOMPARE(random.Next(), 15151640.0f / 16777216.0f);
    QCOMPARE(random.Next(), 1337467.0f / 16777216.0f);
    QCOMPARE(random.Next(), 14029138.0f / 16777216.0f);
    QCOMPARE(random.Next(), 15020749.0f / 16777216.0f);
    // Seeds keep their low 24 bits only.
    forms::ClockRandom wide(12345 + (1u << 24));
    QCOMPARE(wide.Next(), 15151640.0f / 16777216.0f);
}

void tst_Forms::clockRandomStaysInRange()
{
    forms::ClockRandom random = forms::ClockRandom::rtcRandomize();
    float lowest = 1.0f, highest = 0.0f;
    for (int i = 0; i < 100000; ++i) {
        const float r = random.Next();
        QVERIFY2(r >= 0.0f && r < 1.0f, qPrintable(QString::number(double(r))));
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    QVERIFY(lowest < 0.001f && highest > 0.999f);
}

void tst_Forms::scriptedRandomPlaysBackAndRepeats()
{
    forms::ScriptedRandom random({0.25f, 0.0625f});
    QCOMPARE(random.Next(), 0.25f);
    QCOMPARE(random.Next(), 0.0625f);
    QCOMPARE(random.Next(), 0.25f);
    QCOMPARE(random.drawn(), std::size_t(3));
}

QTEST_APPLESS_MAIN(tst_Forms)
#include "tst_forms.moc"
