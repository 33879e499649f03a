// tst_forms.cpp: rounding, integer arithmetic, twips to pixels and the generator.
#include "forms/numbers.h"
#include "forms/random.h"

#include <QTest>

#include <limits>

class tst_Forms : public QObject
{
    Q_OBJECT

private slots:
    void toLongRoundsHalvesToEven_data();
    void toLongRoundsHalvesToEven();
    void toLongReportsOverflow();
    void twipsToPixels();
    void clockRandomSequenceIsPinned();
    void clockRandomStaysInRange();
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
}

void tst_Forms::toLongReportsOverflow()
{
    QVERIFY(!forms::ToLong(2147483647.5).has_value());   // rounds to 2^31
    QVERIFY(!forms::ToLong(-2147483649.0).has_value());
    QVERIFY(!forms::ToLong(std::numeric_limits<double>::quiet_NaN()).has_value());
    QVERIFY(!forms::ToLong(std::numeric_limits<double>::infinity()).has_value());
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

QTEST_APPLESS_MAIN(tst_Forms)
#include "tst_forms.moc"
