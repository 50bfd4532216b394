#include "amountformat.h"

#include <QTest>

#include <limits>

class TestAmountFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatsGroupedAmount_data();
    void formatsGroupedAmount();
};

void TestAmountFormat::formatsGroupedAmount_data()
{
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("text");

    QTest::newRow("0.0") << 0.0 << QStringLiteral("0");
    QTest::newRow("0.4") << 0.4 << QStringLiteral("0");
    QTest::newRow("999.99") << 999.99 << QStringLiteral("999");
    QTest::newRow("1000") << 1000.0 << QStringLiteral("1,000");
    QTest::newRow("1005") << 1005.0 << QStringLiteral("1,005");
    QTest::newRow("1234567.89") << 1234567.89 << QStringLiteral("1,234,567");
    QTest::newRow("-42.7") << -42.7 << QStringLiteral("(42)");
    QTest::newRow("-0.4") << -0.4 << QStringLiteral("(0)");
    QTest::newRow("-1234567") << -1234567.0 << QStringLiteral("(1,234,567)");

    QTest::newRow("negative zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("1000001") << 1000001.0 << QStringLiteral("1,000,001");
    QTest::newRow("1010010") << 1010010.0 << QStringLiteral("1,010,010");
    QTest::newRow("groups with leading zeros") << 7007040.0 << QStringLiteral("7,007,040");
    QTest::newRow("999999.9") << 999999.9 << QStringLiteral("999,999");
    QTest::newRow("-1500") << -1500.0 << QStringLiteral("(1,500)");
    QTest::newRow("32-bit max") << 2147483647.0 << QStringLiteral("2,147,483,647");
    QTest::newRow("32-bit min") << -2147483647.0 << QStringLiteral("(2,147,483,647)");
    QTest::newRow("past 32 bits") << 2147483648.0 << QStringLiteral("2,147,483,648");
    QTest::newRow("3e9") << 3000000000.0 << QStringLiteral("3,000,000,000");
    QTest::newRow("-3e9") << -3000000000.5 << QStringLiteral("(3,000,000,000)");
    QTest::newRow("largest below 2^63")
        << 9223372036854774784.0 << QStringLiteral("9,223,372,036,854,774,784");

    const QString int64Max = QStringLiteral("9,223,372,036,854,775,807");
    QTest::newRow("2^63 clamps") << 9223372036854775808.0 << int64Max;
    QTest::newRow("1e300 clamps") << 1e300 << int64Max;
    QTest::newRow("-1e300 clamps") << -1e300 << u'(' + int64Max + u')';
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << int64Max;
    QTest::newRow("-infinity") << -std::numeric_limits<double>::infinity() << u'(' + int64Max + u')';
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << QStringLiteral("0");
}

void TestAmountFormat::formatsGroupedAmount()
{
    QFETCH(double, amount);
    QFETCH(QString, text);

    QCOMPARE(FormatGroupedAmount(amount), text);
}

QTEST_GUILESS_MAIN(TestAmountFormat)
#include "tst_amountformat.moc"
