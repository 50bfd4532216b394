#include "numbertext.h"

#include <QTest>

class TestNumberText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsNumbers_data();
    void readsNumbers();
};

void TestNumberText::readsNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<DecimalMark>("mark");
    QTest::addColumn<bool>("number");
    QTest::addColumn<double>("value");

    const DecimalMark point = DecimalMark::Point;
    const DecimalMark comma = DecimalMark::Comma;
    QTest::newRow("plain") << "245.87" << point << true << 245.87;
    QTest::newRow("whole") << "1200" << point << true << 1200.0;
    QTest::newRow("spaces around") << "  \t 31.5 \n" << point << true << 31.5;
    QTest::newRow("no-break spaces around") << "\u00a031.5\u00a0" << point << true << 31.5;
    QTest::newRow("grouped by commas") << "1,234,567.89" << point << true << 1234567.89;
    QTest::newRow("short first group") << "12,345" << point << true << 12345.0;
    QTest::newRow("signs") << "-3.25" << point << true << -3.25;
    QTest::newRow("plus") << "+3.25" << point << true << 3.25;
    QTest::newRow("no whole part") << ".5" << point << true << 0.5;
    QTest::newRow("exponent") << "1.5e2" << point << true << 150.0;
    QTest::newRow("exponent with sign") << "25E-1" << point << true << 2.5;
    QTest::newRow("comma decimals") << "245,87" << comma << true << 245.87;
    QTest::newRow("points grouping") << "1.234.567,5" << comma << true << 1234567.5;
    QTest::newRow("spaces grouping") << "1 234 567,5" << comma << true << 1234567.5;
    QTest::newRow("narrow no-break space grouping") << "12\u202f345,25" << comma << true << 12345.25;
    QTest::newRow("comma: point alone groups") << "1.234" << comma << true << 1234.0;

    QTest::newRow("empty") << "" << point << false << 0.0;
    QTest::newRow("spaces only") << "   " << point << false << 0.0;
    QTest::newRow("sign alone") << "-" << point << false << 0.0;
    QTest::newRow("mark alone") << "." << point << false << 0.0;
    QTest::newRow("no decimals after mark") << "5." << point << false << 0.0;
    QTest::newRow("words after") << "19.99 USD" << point << false << 0.0;
    QTest::newRow("words before") << "$19.99" << point << false << 0.0;
    QTest::newRow("group of two") << "1,23" << point << false << 0.0;
    QTest::newRow("group of four") << "1,2345" << point << false << 0.0;
    QTest::newRow("first group of four") << "1234,567" << point << false << 0.0;
    QTest::newRow("grouping in decimals") << "1.234,5" << point << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << point << false << 0.0;
    QTest::newRow("mixed group marks") << "1.234 567,5" << comma << false << 0.0;
    QTest::newRow("comma: point before decimals") << "245.87" << comma << false << 0.0;
    QTest::newRow("exponent without digits") << "4.5e" << point << false << 0.0;
    QTest::newRow("two signs") << "--4" << point << false << 0.0;
    QTest::newRow("beyond a double") << "1e999" << point << false << 0.0;
    QTest::newRow("infinity word") << "inf" << point << false << 0.0;
    QTest::newRow("not a number word") << "NaN" << point << false << 0.0;
    QTest::newRow("hexadecimal") << "0x1A" << point << false << 0.0;
    QTest::newRow("Arabic-Indic digits") << "\u0661\u0662" << point << false << 0.0;
}

void TestNumberText::readsNumbers()
{
    QFETCH(QString, text);
    QFETCH(DecimalMark, mark);
    QFETCH(bool, number);
    QFETCH(double, value);

    const std::optional<double> read = numberFromText(text, mark);
    QCOMPARE(read.has_value(), number);
    if (number)
        QCOMPARE(*read, value);
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
