#include "quoteparser.h"

#include <QTest>

namespace {

// A fifth line as quote pages carry it: the price follows the second marker.
QByteArray priceLine(const QByteArray &afterSecondMarker)
{
    return "<h1><!-- react-text: 36 -->VTI<!-- /react-text --></h1>"
           "<span><!-- react-text: 36 -->" + afterSecondMarker;
}

} // namespace

class TestQuoteParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesFifthLine_data();
    void parsesFifthLine();
};

void TestQuoteParser::parsesFifthLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("priced");
    QTest::addColumn<double>("price");

    QTest::newRow("price up to the next tag") << priceLine("123.45<!-- /react-text --></span>") << true << 123.45;
    QTest::newRow("anything between the markers")
        << QByteArray("react-text: 36 -->>>< 999 <<react-text: 36 -->123.45<") << true << 123.45;
    QTest::newRow("markers back to back") << QByteArray("react-text: 36 -->react-text: 36 -->7<") << true << 7.0;
    QTest::newRow("third marker ignored")
        << priceLine("12.5<b>react-text: 36 -->99<") << true << 12.5;
    QTest::newRow("no end tag: rest of line") << priceLine("88.25") << true << 88.25;
    QTest::newRow("thousands separators") << priceLine("1,234.50<") << true << 1234.5;
    QTest::newRow("millions") << priceLine("1,234,567.89<") << true << 1234567.89;
    QTest::newRow("comma not a thousands group") << priceLine("1,23<") << true << 1.0;
    QTest::newRow("comma before four digits") << priceLine("1,2345<") << true << 1.0;
    QTest::newRow("exponent") << priceLine("1.5e2<") << true << 150.0;
    QTest::newRow("exponent with sign") << priceLine("25E-1<") << true << 2.5;
    QTest::newRow("exponent without digits ignored") << priceLine("4.5e<") << true << 4.5;
    QTest::newRow("minus sign") << priceLine("-3.25<") << true << -3.25;
    QTest::newRow("plus sign") << priceLine("+3.25<") << true << 3.25;
    QTest::newRow("leading spaces") << priceLine("  \t 42.1<") << true << 42.1;
    QTest::newRow("no whole part") << priceLine(".5<") << true << 0.5;
    QTest::newRow("stops at first non-number") << priceLine("19.99 USD<") << true << 19.99;
    QTest::newRow("stops at a second point") << priceLine("1.2.3<") << true << 1.2;
    QTest::newRow("zero is a price") << priceLine("0.00<") << true << 0.0;
    QTest::newRow("line break left on the line") << priceLine("55.5\r") << true << 55.5;

    QTest::newRow("empty line") << QByteArray() << false << 0.0;
    QTest::newRow("no marker") << QByteArray("<span>123.45</span>") << false << 0.0;
    QTest::newRow("one marker only") << QByteArray("<!-- react-text: 36 -->123.45<") << false << 0.0;
    QTest::newRow("marker of another number")
        << QByteArray("react-text: 35 -->1<react-text: 36 -->2<") << false << 0.0;
    QTest::newRow("text instead of a price") << priceLine("N/A<") << false << 0.0;
    QTest::newRow("empty price") << priceLine("<") << false << 0.0;
    QTest::newRow("sign alone") << priceLine("-<") << false << 0.0;
    QTest::newRow("point alone") << priceLine(".<") << false << 0.0;
    QTest::newRow("comma first") << priceLine(",123<") << false << 0.0;
    QTest::newRow("beyond a double") << priceLine("1e999<") << false << 0.0;
}

void TestQuoteParser::parsesFifthLine()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, priced);
    QFETCH(double, price);

    const QuoteResult result = parseQuoteLine(line);
    QCOMPARE(result.priced(), priced);
    QCOMPARE(result.price, price);
    QCOMPARE(result.reason(), priced ? QString() : QStringLiteral("no price on page"));
}

QTEST_GUILESS_MAIN(TestQuoteParser)
#include "tst_quoteparser.moc"
