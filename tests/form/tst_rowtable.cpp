// The form's two moves through the row table: rows to Holdings and back,
// and a calculation's figures into the rows' fields.

#include "calculation.h"
#include "formfields.h"
#include "holdingsform.h"
#include "rowtable.h"

#include <QComboBox>
#include <QtTest>

class TestRowTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void holdingsGoThroughTheFields();
    void resultFillsTheFiguresAndLeavesTheHoldings();
    void clearingEmptiesTheFiguresBeforeARun();
};

void TestRowTable::holdingsGoThroughTheFields()
{
    HoldingsForm form;
    FormFields fields;
    RowTable table;
    table.fill(fields, form);

    Holdings holdings;
    holdings[0] = {QStringLiteral("Total Market"), QStringLiteral("VTI"), 10.5, 2};
    holdings[7] = {QStringLiteral("Savings"), QStringLiteral("Money Market"), 2500, 0};
    holdings[19] = {QStringLiteral("Bonds"), QStringLiteral("BND"), -3, 1};
    table.setHoldings(holdings);

    QCOMPARE(fields.name[0], QStringLiteral("Total Market"));
    QCOMPARE(fields.symbol[7], QStringLiteral("Money Market"));
    QCOMPARE(fields.shares[19], -3.0);
    QCOMPARE(form.classSelector(0)->currentIndex(), 2);
    QCOMPARE(form.classSelector(7)->currentIndex(), 0);
    QCOMPARE(form.classSelector(3)->currentIndex(), -1);
    QCOMPARE(table.holdings(), holdings);
}

void TestRowTable::resultFillsTheFiguresAndLeavesTheHoldings()
{
    HoldingsForm form;
    FormFields fields;
    RowTable table;
    table.fill(fields, form);
    Holdings holdings;
    holdings[2] = {QStringLiteral("Fund"), QStringLiteral("F"), 4, 3};
    table.setHoldings(holdings);

    CalculationResult result;
    result.value[2] = 1250;
    result.percent[2] = 100;
    result.totalText = QStringLiteral("1,250");
    result.classAmountText[3] = QStringLiteral("1,250");
    result.classPercent[3] = 100;
    table.setResult(result);

    QCOMPARE(fields.value[2], 1250.0);
    QCOMPARE(fields.percent[2], qint64(100));
    QCOMPARE(fields.value[3], 0.0);
    QCOMPARE(fields.totalText, QStringLiteral("1,250"));
    QCOMPARE(fields.classAmountText[3], QStringLiteral("1,250"));
    QCOMPARE(fields.classAmountText[0], QString());
    QCOMPARE(fields.classPercent[3], qint64(100));
    QCOMPARE(table.holdings(), holdings);
}

void TestRowTable::clearingEmptiesTheFiguresBeforeARun()
{
    HoldingsForm form;
    FormFields fields;
    fields.value[4] = 300;
    fields.percent[4] = 60;
    fields.totalText = QStringLiteral("500");
    fields.classAmountText[1] = QStringLiteral("300");
    fields.classPercent[1] = 60;
    RowTable table;
    table.fill(fields, form);

    table.clearResult();
    QCOMPARE(fields.value[4], 0.0);
    QCOMPARE(fields.percent[4], qint64(0));
    QCOMPARE(fields.totalText, QString());
    QCOMPARE(fields.classAmountText[1], QString());
    // The class percents stay until the run's own replace them.
    QCOMPARE(fields.classPercent[1], qint64(60));
}

QTEST_MAIN(TestRowTable)
#include "tst_rowtable.moc"
