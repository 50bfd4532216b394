// The rebalance dialog offscreen: over a calculation priced by a fake quote
// source, with the targets typed, the sum sentence and the warnings, and
// from the holdings form, whose profiles carry the targets.

#include "allocationlegend.h"
#include "dialogharness.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "profileformat.h"
#include "rebalancedialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

const QString Dash = QStringLiteral("\u2014");

struct Harness : DialogHarness<>
{
    Harness() { quotes.prices = {{"VTI", 12.5}, {"BND", 50.0}, {"Cash", 1.0}}; }

    // Cash 500, Bonds 500, Stocks 1,000 and 1,500 without a class.
    bool calculateSample()
    {
        type(0, QStringLiteral("VTI"), QStringLiteral("80"), 2);
        type(1, QStringLiteral("BND"), QStringLiteral("10"), 1);
        type(2, QStringLiteral("Cash"), QStringLiteral("500"), 0);
        type(3, QStringLiteral("Cash"), QStringLiteral("1500"), NoAssetClass);
        return calculate();
    }

    bool calculate()
    {
        QSignalSpy finished(dialog.get(), &CFundtallyDlg::calculationFinished);
        dialog->OnCalculate();
        return finished.wait();
    }
};

void typeTargets(RebalanceDialog &dialog, const QStringList &targets)
{
    for (int c = 0; c < AssetClassCount; ++c)
        dialog.targetBox(c)->setText(targets.value(c));
}

QStringList texts(const std::function<QLabel *(int)> &label)
{
    QStringList shown;
    for (int c = 0; c < AssetClassCount; ++c)
        shown << label(c)->text();
    return shown;
}

QStringList differences(const RebalanceDialog &dialog)
{
    return texts([&dialog](int c) { return dialog.differenceLabel(c); });
}

QStringList targetAmounts(const RebalanceDialog &dialog)
{
    return texts([&dialog](int c) { return dialog.targetAmountLabel(c); });
}

const QStringList NoDifferences{Dash, Dash, Dash, Dash, Dash};

RebalanceBasis pricedBasis(const ClassAmounts &amounts)
{
    RebalanceBasis basis;
    basis.calculated = true;
    basis.classAmount = amounts;
    for (const double amount : amounts)
        basis.total += amount;
    basis.heldCount = AssetClassCount;
    return basis;
}

} // namespace

class TestRebalanceDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valuesAfterACalculation();
    void sumSentence_data();
    void sumSentence();
    void typingIsLimited_data();
    void typingIsLimited();
    void amountToInvestLimit_data();
    void amountToInvestLimit();
    void calculateFirst_data();
    void calculateFirst();
    void warnings_data();
    void warnings();
    void startsFromTheHoldingsTargets();
    void keyboardAndNames();
    void buttonOpensTheDialogAndKeepsTheTargets();
    void cancelKeepsTheTargets();
    void noRebalanceWhileCalculating();
    void profilesCarryTheTargets();
    void malformedTargetsChangeNothing();
};

void TestRebalanceDialog::valuesAfterACalculation()
{
    Harness h;
    QVERIFY(h.calculateSample());
    RebalanceDialog dialog(h.dialog->lastCalculation(), std::nullopt);

    QCOMPARE(texts([&](int c) { return dialog.amountLabel(c); }),
             (QStringList{"500", "500", "1,000", "0", "0"}));
    QCOMPARE(texts([&](int c) { return dialog.percentLabel(c); }),
             (QStringList{"25 %", "25 %", "50 %", "0 %", "0 %"}));
    QCOMPARE(dialog.unclassedLabel()->text(),
             QStringLiteral("Now, Target and the advice are shares of the classed holdings (2,000); unclassed "
                            "holdings of 1,500 are left out"));
    QVERIFY(!dialog.unclassedLabel()->isHidden());
    QVERIFY(dialog.coverageLabel()->isHidden());

    // The base is the 2,000 of the classed holdings.
    typeTargets(dialog, {"10", "30", "60", "", ""});
    QVERIFY(dialog.adviceLabel()->isHidden());
    QCOMPARE(targetAmounts(dialog), (QStringList{"200", "600", "1,200", "0", "0"}));
    QCOMPARE(differences(dialog), (QStringList{"Sell 300", "Buy 100", "Buy 200", Dash, Dash}));

    dialog.amountToInvestBox()->setText(QStringLiteral("1000"));
    QCOMPARE(targetAmounts(dialog), (QStringList{"300", "900", "1,800", "0", "0"}));
    QCOMPARE(differences(dialog), (QStringList{"Sell 200", "Buy 400", "Buy 800", Dash, Dash}));

    // Stocks lack 800 and Bonds 400: Stocks is filled to 400 short, then both.
    dialog.buyOnlyBox()->setChecked(true);
    QCOMPARE(differences(dialog), (QStringList{Dash, "Buy 300", "Buy 700", Dash, Dash}));

    dialog.amountToInvestBox()->clear();   // an empty box is no new money
    QCOMPARE(differences(dialog), NoDifferences);
    QVERIFY(dialog.adviceLabel()->isHidden());
    dialog.buyOnlyBox()->setChecked(false);
    QCOMPARE(differences(dialog), (QStringList{"Sell 300", "Buy 100", "Buy 200", Dash, Dash}));
}

void TestRebalanceDialog::sumSentence_data()
{
    QTest::addColumn<QStringList>("targets");
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<bool>("acceptable");
    QTest::addColumn<bool>("advised");

    QTest::newRow("100") << QStringList{"10", "30", "60", "", ""} << "Targets add up to 100 %." << true << true;
    QTest::newRow("95") << QStringList{"10", "30", "55", "", ""}
                        << "Targets add up to 95 %; they must add up to 100 %." << false << false;
    // Every box empty takes the targets away.
    QTest::newRow("none") << QStringList{"", "", "", "", ""}
                          << "Targets add up to 0 %; they must add up to 100 %." << true << false;
    QTest::newRow("not a target") << QStringList{"150", "", "", "", ""}
        << "Each target must be a percent from 0 to 100 with at most one decimal." << false << false;
}

void TestRebalanceDialog::sumSentence()
{
    QFETCH(QStringList, targets);
    QFETCH(QString, sentence);
    QFETCH(bool, acceptable);
    QFETCH(bool, advised);

    RebalanceDialog dialog(pricedBasis({500, 500, 1000, 0, 0}), std::nullopt);
    typeTargets(dialog, targets);
    QCOMPARE(dialog.sumLabel()->text(), sentence);
    QCOMPARE(dialog.hasAcceptableTargets(), acceptable);
    QCOMPARE(dialog.okButton()->isEnabled(), acceptable);
    QCOMPARE(differences(dialog) != NoDifferences, advised);
    QCOMPARE(targetAmounts(dialog) != NoDifferences, advised);
    QVERIFY(dialog.adviceLabel()->isHidden());

    dialog.show();
    dialog.accept();
    QCOMPARE(dialog.isVisible(), !acceptable);
    QCOMPARE(dialog.result(), acceptable ? int(QDialog::Accepted) : int(QDialog::Rejected));
}

void TestRebalanceDialog::typingIsLimited_data()
{
    QTest::addColumn<bool>("amountBox");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");

    QTest::newRow("whole") << false << "60" << "60";
    QTest::newRow("one decimal") << false << "12.5" << "12.5";
    QTest::newRow("second decimal refused") << false << "12.34" << "12.3";
    QTest::newRow("past 100 refused") << false << "101" << "10";
    QTest::newRow("100 and a decimal refused") << false << "100.5" << "100.";
    QTest::newRow("100.0") << false << "100.0" << "100.0";
    QTest::newRow("sign refused") << false << "-5" << "5";
    QTest::newRow("letters refused") << false << "abc" << "";
    QTest::newRow("comma refused") << false << "12,5" << "12";
    QTest::newRow("amount: thirteen digits") << true << "12345678901234" << "1234567890123";
    QTest::newRow("amount: cents") << true << "10.995" << "10.99";
    QTest::newRow("amount: grouping refused") << true << "1,000" << "1000";
    QTest::newRow("amount: sign refused") << true << "-5" << "5";
}

void TestRebalanceDialog::typingIsLimited()
{
    QFETCH(bool, amountBox);
    QFETCH(QString, typed);
    QFETCH(QString, kept);

    RebalanceDialog dialog(pricedBasis({0, 0, 1000, 0, 0}), std::nullopt);
    QLineEdit *box = amountBox ? dialog.amountToInvestBox() : dialog.targetBox(2);
    box->clear();
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), kept);
}

void TestRebalanceDialog::amountToInvestLimit_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("stocks");
    QTest::addColumn<QString>("advice");

    const QString limit = QStringLiteral("The amount to invest must be a number from 0 to 1,000,000,000,000.");
    QTest::newRow("at the limit") << "1000000000000" << "Buy 500,000,000,500" << QString();
    QTest::newRow("past the limit") << "1000000000000.01" << Dash << limit;
}

void TestRebalanceDialog::amountToInvestLimit()
{
    QFETCH(QString, amount);
    QFETCH(QString, stocks);
    QFETCH(QString, advice);

    RebalanceDialog dialog(pricedBasis({1000, 0, 0, 0, 0}), TargetPercents{50, 0, 50, 0, 0});
    dialog.amountToInvestBox()->setText(amount);
    QCOMPARE(dialog.differenceLabel(2)->text(), stocks);
    QCOMPARE(dialog.adviceLabel()->text(), advice);
    QCOMPARE(dialog.adviceLabel()->isHidden(), advice.isEmpty());
}

void TestRebalanceDialog::calculateFirst_data()
{
    QTest::addColumn<bool>("calculated");
    QTest::addColumn<ClassAmounts>("amounts");
    QTest::addColumn<QString>("amountShown");

    QTest::newRow("no calculation yet") << false << ClassAmounts{} << Dash;
    QTest::newRow("a total of 0") << true << ClassAmounts{} << "0";
}

void TestRebalanceDialog::calculateFirst()
{
    QFETCH(bool, calculated);
    QFETCH(ClassAmounts, amounts);
    QFETCH(QString, amountShown);

    RebalanceBasis basis = pricedBasis(amounts);
    basis.calculated = calculated;
    RebalanceDialog dialog(basis, TargetPercents{50, 0, 50, 0, 0});
    dialog.amountToInvestBox()->setText(QStringLiteral("1000"));
    QCOMPARE(dialog.adviceLabel()->text(), QStringLiteral("Calculate first"));
    QVERIFY(!dialog.adviceLabel()->isHidden());
    QCOMPARE(differences(dialog), NoDifferences);
    QCOMPARE(dialog.amountLabel(0)->text(), amountShown);
    // The targets can still be set.
    QCOMPARE(dialog.sumLabel()->text(), QStringLiteral("Targets add up to 100 %."));
    QVERIFY(dialog.okButton()->isEnabled());
}

void TestRebalanceDialog::warnings_data()
{
    QTest::addColumn<bool>("stop");
    QTest::addColumn<QString>("warning");

    QTest::newRow("unpriced") << false
        << "1 of 3 holdings could not be priced. The advice covers only what was priced.";
    QTest::newRow("stopped") << true
        << "The last calculation was stopped: 2 of 3 holdings were not priced. "
           "The advice covers only what was priced.";
}

void TestRebalanceDialog::warnings()
{
    QFETCH(bool, stop);
    QFETCH(QString, warning);

    Harness h;
    h.type(0, QStringLiteral("VTI"), QStringLiteral("80"), 2);
    h.type(1, QStringLiteral("NOPE"), QStringLiteral("5"), 1);
    h.type(2, QStringLiteral("BND"), QStringLiteral("10"), 1);
    if (stop) {
        h.quotes.hold = true;
        h.dialog->OnCalculate();
        QCOMPARE(h.quotes.requested.size(), 3);
        h.quotes.held.first()->settle(QuoteResult::withPrice(12.5));
        h.dialog->stopCalculation();
    } else {
        QVERIFY(h.calculate());
    }

    RebalanceDialog dialog(h.dialog->lastCalculation(), TargetPercents{0, 50, 50, 0, 0});
    QCOMPARE(dialog.coverageLabel()->text(), warning);
    QVERIFY(!dialog.coverageLabel()->isHidden());
    // The advice covers what was priced.
    const QString bonds = stop ? QStringLiteral("Buy 500") : QStringLiteral("Buy 250");
    QCOMPARE(differences(dialog), (QStringList{Dash, bonds, stop ? "Sell 500" : "Sell 250", Dash, Dash}));
}

void TestRebalanceDialog::startsFromTheHoldingsTargets()
{
    const TargetPercents start{5, 24.5, 50.5, 0, 20};
    RebalanceDialog dialog(pricedBasis({0, 0, 1000, 0, 0}), start);
    QStringList boxes;
    for (int c = 0; c < AssetClassCount; ++c)
        boxes << dialog.targetBox(c)->text();
    QCOMPARE(boxes, (QStringList{"5", "24.5", "50.5", "0", "20"}));
    QCOMPARE(dialog.targets(), AssetTargets(start));

    dialog.targetBox(4)->setText(QStringLiteral("10"));
    QVERIFY(!dialog.hasAcceptableTargets());
    QCOMPARE(dialog.targets(), AssetTargets(start));   // not adding up: unchanged
    dialog.targetBox(0)->setText(QStringLiteral("15"));
    QCOMPARE(dialog.targets(), AssetTargets(TargetPercents{15, 24.5, 50.5, 0, 10}));

    typeTargets(dialog, {});
    QCOMPARE(dialog.targets(), AssetTargets());
}

void TestRebalanceDialog::keyboardAndNames()
{
    RebalanceDialog dialog(pricedBasis({500, 500, 1000, 0, 0}), std::nullopt);
    QList<QWidget *> expected;
    for (int c = 0; c < AssetClassCount; ++c)
        expected << dialog.targetBox(c);
    expected << dialog.amountToInvestBox() << dialog.buyOnlyBox();

    QList<QWidget *> chain;
    QWidget *widget = dialog.targetBox(0);
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->isHidden())
            chain << widget;
        widget = widget->nextInFocusChain();
    } while (widget != dialog.targetBox(0));
    QCOMPARE(chain.mid(0, expected.size()), expected);
    QVERIFY(chain.contains(dialog.okButton()));

    for (const QWidget *control : chain) {
        if (!qobject_cast<const QPushButton *>(control))
            QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
    }
    for (int c = 0; c < AssetClassCount; ++c) {
        const QString name = QString::fromLatin1(AssetClassLabels[c]);
        QCOMPARE(dialog.targetBox(c)->accessibleName(), name + QStringLiteral(" target percent"));
        QCOMPARE(dialog.differenceLabel(c)->accessibleName(), name + QStringLiteral(" buy or sell"));
        QVERIFY(!dialog.amountLabel(c)->accessibleName().isEmpty());
        QVERIFY(!dialog.percentLabel(c)->accessibleName().isEmpty());
        QVERIFY(!dialog.targetAmountLabel(c)->accessibleName().isEmpty());
    }
    for (const QLabel *note : {dialog.sumLabel(), dialog.adviceLabel(), dialog.coverageLabel(),
                               dialog.unclassedLabel()})
        QVERIFY(!note->accessibleName().isEmpty());

    QStringList mnemonics;
    for (const QLabel *label : dialog.findChildren<QLabel *>()) {
        if (label->buddy())
            mnemonics << label->text();
        if (label->text() == QStringLiteral("Amount to &invest"))
            QCOMPARE(label->buddy(), dialog.amountToInvestBox());
        if (label->text() == QStringLiteral("&Target"))
            QCOMPARE(label->buddy(), dialog.targetBox(0));
    }
    QCOMPARE(mnemonics.size(), 2);
    QCOMPARE(dialog.buyOnlyBox()->text(), QStringLiteral("&Buy only"));
    QVERIFY(dialog.okButton()->isDefault());
}

void TestRebalanceDialog::buttonOpensTheDialogAndKeepsTheTargets()
{
    Harness h;
    QVERIFY(h.calculateSample());

    QStringList shown;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<RebalanceDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        typeTargets(*dialog, {"10", "30", "60", "", ""});
        shown = differences(*dialog);
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    QTest::mouseClick(h.form().rebalanceButton(), Qt::LeftButton);

    QCOMPARE(shown, (QStringList{"Sell 300", "Buy 100", "Buy 200", Dash, Dash}));
    QCOMPARE(h.dialog->targets(), AssetTargets(TargetPercents{10, 30, 60, 0, 0}));
    const QString toolTip = h.form().allocationLegend()->toolTip();
    QVERIFY2(toolTip.contains(QStringLiteral("Stocks 28 % (target 60 %)")), qPrintable(toolTip));
    QVERIFY(toolTip.contains(QStringLiteral("Bonds 14 % (target 30 %)")));
}

void TestRebalanceDialog::cancelKeepsTheTargets()
{
    Harness h;
    const TargetPercents kept{0, 40, 60, 0, 0};
    h.dialog->setTargets(kept);
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<RebalanceDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->adviceLabel()->text(), QStringLiteral("Calculate first"));
        typeTargets(*dialog, {"100"});
        dialog->reject();
    });
    h.dialog->OnRebalance();
    QCOMPARE(h.dialog->targets(), AssetTargets(kept));
    QVERIFY(h.form().allocationLegend()->toolTip().contains(QStringLiteral("Stocks 0 % (target 60 %)")));
}

void TestRebalanceDialog::noRebalanceWhileCalculating()
{
    Harness h;
    h.quotes.hold = true;
    h.type(0, QStringLiteral("VTI"), QStringLiteral("80"), 2);
    h.dialog->OnCalculate();
    QVERIFY(!h.form().rebalanceButton()->isEnabled());
    QCOMPARE(h.dialog->lastCalculation().calculated, false);
    h.dialog->OnRebalance();   // returns at once: no dialog to close
    QVERIFY(!QApplication::activeModalWidget());

    h.quotes.held.first()->settle(QuoteResult::withPrice(12.5));
    QTRY_VERIFY(!h.dialog->isCalculating());
    QVERIFY(h.form().rebalanceButton()->isEnabled());
    QCOMPARE(h.dialog->lastCalculation().classAmount[2], 1000.0);
}

void TestRebalanceDialog::profilesCarryTheTargets()
{
    Harness h;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    h.type(0, QStringLiteral("VTI"), QStringLiteral("80"), 2);
    h.dialog->setTargets(TargetPercents{0, 40, 60, 0, 0});

    h.files.savePath = folder.filePath(QStringLiteral("with.ftly"));
    h.dialog->OnSaveProfile();
    QVERIFY(h.messages.errors.isEmpty());
    QFile saved(h.files.savePath);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QVERIFY(bytes.endsWith("AssetClass\t-1\nAssetTargets\t0\t40\t60\t0\t0\n"));

    // A profile without the line clears the targets ...
    Holdings records;
    records[0] = {QStringLiteral("Bonds"), QStringLiteral("BND"), 10, 1};
    const QString without = folder.filePath(QStringLiteral("without.ftly"));
    QFile plain(without);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write(writeProfile(records));
    plain.close();
    h.files.openPath = without;
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    h.dialog->OnGetProfile();
    QVERIFY(finished.wait());
    QCOMPARE(h.dialog->targets(), AssetTargets());
    QVERIFY(!h.form().allocationLegend()->toolTip().contains(QStringLiteral("target")));

    // ... and one with it brings them back.
    h.files.openPath = h.files.savePath;
    h.dialog->OnGetProfile();
    QVERIFY(finished.wait());
    QCOMPARE(h.dialog->targets(), AssetTargets(TargetPercents{0, 40, 60, 0, 0}));
    QCOMPARE(h.form().symbolBox(0)->text(), QStringLiteral("VTI"));
    QVERIFY(h.messages.errors.isEmpty());
}

void TestRebalanceDialog::malformedTargetsChangeNothing()
{
    Harness h;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    h.type(0, QStringLiteral("VTI"), QStringLiteral("80"), 2);
    const TargetPercents kept{0, 40, 60, 0, 0};
    h.dialog->setTargets(kept);
    const QStringList before = formSnapshot(h.form());

    Holdings records;
    records[0] = {QStringLiteral("Bonds"), QStringLiteral("BND"), 10, 1};
    const QString path = folder.filePath(QStringLiteral("bad.ftly"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(writeProfile(records) + "AssetTargets\t10\t10\t10\t10\n");
    file.close();
    h.files.openPath = path;
    h.dialog->OnGetProfile();

    QCOMPARE(h.messages.errors.size(), 1);
    QVERIFY2(h.messages.errors.first().contains(
                 QStringLiteral("the AssetTargets line after record 20 ends before its EMD target")),
             qPrintable(h.messages.errors.first()));
    QCOMPARE(formSnapshot(h.form()), before);
    QCOMPARE(h.dialog->targets(), AssetTargets(kept));
    QVERIFY(h.quotes.requested.isEmpty());
}

QTEST_MAIN(TestRebalanceDialog)
#include "tst_rebalancedialog.moc"
