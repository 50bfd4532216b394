#include "fieldexchange.h"
#include "formfields.h"
#include "holdingsform.h"
#include "numberprompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

namespace {

class CountingPrompt final : public NumberPrompt
{
public:
    void promptForNumber(QLineEdit *box) override { boxes.append(box); }
    QList<QLineEdit *> boxes;
};

FormFields sampleFields()
{
    FormFields fields;
    for (int r = 0; r < HoldingRowCount; ++r) {
        fields.name[r] = QStringLiteral("Fund %1").arg(r);
        fields.symbol[r] = QStringLiteral("SYM%1").arg(r);
        fields.shares[r] = r * 10.5;
        fields.value[r] = r * 100;
        fields.percent[r] = r;
    }
    fields.totalText = QStringLiteral("1,234");
    for (int c = 0; c < AssetClassCount; ++c) {
        fields.classAmountText[c] = QString::number(c * 7);
        fields.classPercent[c] = c * 3;
    }
    return fields;
}

} // namespace

class TestFieldExchange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip();
    void freshFieldsShowZeros();
    void sharesText_data();
    void sharesText();
    void numberFormat_data();
    void numberFormat();
    void notANumberStopsTheTransferThere();
    void holdingsOnFormTouchNeitherFieldsNorFocus();
};

void TestFieldExchange::roundTrip()
{
    HoldingsForm form;
    const FormFields written = sampleFields();
    transferFieldsToForm(written, form);

    FormFields read;
    CountingPrompt prompt;
    QVERIFY(transferFormToFields(form, read, prompt));
    QVERIFY(prompt.boxes.isEmpty());
    QCOMPARE(read.name, written.name);
    QCOMPARE(read.symbol, written.symbol);
    QCOMPARE(read.shares, written.shares);
    QCOMPARE(read.value, written.value);
    QCOMPARE(read.percent, written.percent);
    QCOMPARE(read.totalText, written.totalText);
    QCOMPARE(read.classAmountText, written.classAmountText);
    QCOMPARE(read.classPercent, written.classPercent);
}

void TestFieldExchange::freshFieldsShowZeros()
{
    HoldingsForm form;
    transferFieldsToForm(FormFields{}, form);
    for (int r = 0; r < HoldingRowCount; ++r) {
        QCOMPARE(form.sharesBox(r)->text(), QStringLiteral("0"));
        QCOMPARE(form.valueBox(r)->text(), QStringLiteral("0"));
        QCOMPARE(form.percentBox(r)->text(), QStringLiteral("0"));
        QVERIFY(form.nameBox(r)->text().isEmpty());
        QVERIFY(form.symbolBox(r)->text().isEmpty());
    }
    QVERIFY(form.totalBox()->text().isEmpty());
    for (int c = 0; c < AssetClassCount; ++c) {
        QCOMPARE(form.classPercentBox(c)->text(), QStringLiteral("0"));
        QVERIFY(form.classAmountBox(c)->text().isEmpty());
    }
}

void TestFieldExchange::sharesText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("shares");

    QTest::newRow("whole") << "100" << true << 100.0;
    QTest::newRow("fraction") << "12.5" << true << 12.5;
    QTest::newRow("negative") << "-7.25" << true << -7.25;
    QTest::newRow("exponent") << "1.23457e+006" << true << 1234570.0;
    QTest::newRow("spaces around") << "  42 " << true << 42.0;
    QTest::newRow("blank") << "   " << true << 0.0;
    QTest::newRow("empty") << "" << true << 0.0;
    QTest::newRow("word") << "abc" << false << 0.0;
    QTest::newRow("trailing junk") << "12abc" << false << 0.0;
    QTest::newRow("grouped") << "1,000" << false << 0.0;
    QTest::newRow("decimal comma") << "12,5" << false << 0.0;
    QTest::newRow("infinity") << "inf" << false << 0.0;
    QTest::newRow("not a number") << "nan" << false << 0.0;
    QTest::newRow("out of range") << "1e400" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
}

void TestFieldExchange::sharesText()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, shares);

    const std::optional<double> parsed = parseBoxDouble(text);
    QCOMPARE(parsed.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*parsed, shares);
}

void TestFieldExchange::numberFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("whole amount") << 12345.0 << "12345";
    QTest::newRow("no grouping") << 1234567.0 << "1234567";
    QTest::newRow("fraction") << 0.1 << "0.1";
    QTest::newRow("negative") << -1500.0 << "-1500";
    QTest::newRow("fifteen digits") << 123456789012345.0 << "123456789012345";
    QTest::newRow("beyond fifteen digits") << 1234567890123456.0 << "1.23456789012346e+15";
}

void TestFieldExchange::numberFormat()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formatBoxNumber(value), text);
}

void TestFieldExchange::notANumberStopsTheTransferThere()
{
    HoldingsForm form;
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));

    const FormFields before = sampleFields();
    transferFieldsToForm(before, form);
    for (int r = 0; r < HoldingRowCount; ++r) {
        form.nameBox(r)->setText(QStringLiteral("Typed %1").arg(r));
        form.sharesBox(r)->setText(QString::number(r + 1000));
    }
    form.sharesBox(5)->setText(QStringLiteral("five"));

    FormFields fields = before;
    CountingPrompt prompt;
    QVERIFY(!transferFormToFields(form, fields, prompt));

    QCOMPARE(prompt.boxes, QList<QLineEdit *>{form.sharesBox(5)});
    QVERIFY(form.sharesBox(5)->hasFocus());
    for (int r = 0; r < 5; ++r) {
        QCOMPARE(fields.name[r], QStringLiteral("Typed %1").arg(r));
        QCOMPARE(fields.shares[r], double(r + 1000));
    }
    // Row 5's boxes before its shares were read; its shares and everything
    // after keep their values.
    QCOMPARE(fields.name[5], QStringLiteral("Typed 5"));
    QCOMPARE(fields.shares[5], before.shares[5]);
    for (int r = 6; r < HoldingRowCount; ++r) {
        QCOMPARE(fields.name[r], before.name[r]);
        QCOMPARE(fields.shares[r], before.shares[r]);
    }
    QCOMPARE(form.sharesBox(5)->text(), QStringLiteral("five"));
}

// The unsaved-changes check reads the boxes this way, at any time: it must
// neither prompt nor move the focus.
void TestFieldExchange::holdingsOnFormTouchNeitherFieldsNorFocus()
{
    HoldingsForm form;
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    const FormFields fields = sampleFields();
    transferFieldsToForm(fields, form);
    form.nameBox(3)->setText(QStringLiteral("Typed"));
    form.sharesBox(3)->setText(QStringLiteral(" 12.5 "));
    form.classSelector(3)->setCurrentIndex(4);
    form.nameBox(0)->setFocus();

    const std::optional<Holdings> shown = holdingsOnForm(form, fields);
    QVERIFY(shown);
    QCOMPARE((*shown)[3], (Holding{QStringLiteral("Typed"), QStringLiteral("SYM3"), 12.5, 4}));
    QCOMPARE((*shown)[19], (Holding{QStringLiteral("Fund 19"), QStringLiteral("SYM19"), 199.5, -1}));

    form.sharesBox(8)->setText(QStringLiteral("1,000"));
    QVERIFY(!holdingsOnForm(form, fields));
    QVERIFY(form.nameBox(0)->hasFocus());
}

QTEST_MAIN(TestFieldExchange)
#include "tst_fieldexchange.moc"
