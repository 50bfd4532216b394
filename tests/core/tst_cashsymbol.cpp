#include "cashsymbol.h"

#include <QTest>

class TestCashSymbol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recognisesCashSymbols_data();
    void recognisesCashSymbols();
};

void TestCashSymbol::recognisesCashSymbols_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<bool>("cash");

    QTest::newRow("Cash") << QStringLiteral("Cash") << true;
    QTest::newRow("cash") << QStringLiteral("cash") << true;
    QTest::newRow("CASH") << QStringLiteral("CASH") << true;
    QTest::newRow("Money Market") << QStringLiteral("Money Market") << true;
    QTest::newRow("money market") << QStringLiteral("money market") << true;
    QTest::newRow("MONEY MARKET") << QStringLiteral("MONEY MARKET") << true;
    QTest::newRow("two spaces") << QStringLiteral("Money  Market") << false;
    QTest::newRow("leading space") << QStringLiteral(" Cash") << false;
    QTest::newRow("trailing space") << QStringLiteral("Cash ") << false;
    QTest::newRow("prefix") << QStringLiteral("Cas") << false;
    QTest::newRow("longer") << QStringLiteral("Cashew") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("ticker") << QStringLiteral("VTI") << false;
}

void TestCashSymbol::recognisesCashSymbols()
{
    QFETCH(QString, symbol);
    QFETCH(bool, cash);

    QCOMPARE(isCashSymbol(symbol), cash);
}

QTEST_GUILESS_MAIN(TestCashSymbol)
#include "tst_cashsymbol.moc"
