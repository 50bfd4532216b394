#include "controlids.h"
#include "dialogunits.h"
#include "holdingsfields.h"
#include "holdingsform.h"
#include "rowtable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QtTest>

class TestHoldingsForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyControlNumberOnce();
    void rowControlsCarryTheirNumbers_data();
    void rowControlsCarryTheirNumbers();
    void rowFifteenSitsDirectlyUnderRowFourteen();
    void rowsAreEvenlySpacedElsewhere();
    void classSelectorsListTheFiveClasses();
    void boxStyles();
    void tabOrderRunsRowByRowThenButtons();
    void calculateIsTheDefaultButton();
    void buttonColumn_data();
    void buttonColumn();
    void headingsAndSummaryTexts();
    void selectorOutsideTheClassesReadsNoClass_data();
    void selectorOutsideTheClassesReadsNoClass();
    void rowTableFollowsScreenOrder();
    void formGrowsWithItsFont();
};

void TestHoldingsForm::everyControlNumberOnce()
{
    HoldingsForm form;
    QMultiHash<int, QWidget *> byId;
    for (QWidget *widget : form.findChildren<QWidget *>()) {
        const QVariant id = widget->property("controlId");
        if (id.isValid())
            byId.insert(id.toInt(), widget);
    }

    QSet<int> expected{ControlId::Finished};
    for (int id = 1000; id <= 1134; ++id)
        expected.insert(id);
    QCOMPARE(QSet<int>(byId.keyBegin(), byId.keyEnd()), expected);
    for (int id : expected)
        QCOMPARE(byId.count(id), 1);
}

void TestHoldingsForm::rowControlsCarryTheirNumbers_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<int>>("ids"); // name, symbol, shares, class, value, pct

    QTest::newRow("row 0") << 0 << QList<int>{1000, 1001, 1002, 1006, 1004, 1005};
    QTest::newRow("row 1") << 1 << QList<int>{1003, 1007, 1008, 1011, 1009, 1010};
    QTest::newRow("row 2") << 2 << QList<int>{1012, 1013, 1014, 1017, 1015, 1016};
    QTest::newRow("row 14") << 14 << QList<int>{1084, 1085, 1086, 1089, 1087, 1088};
    QTest::newRow("row 15") << 15 << QList<int>{1090, 1091, 1092, 1095, 1093, 1094};
    QTest::newRow("row 19") << 19 << QList<int>{1114, 1115, 1116, 1119, 1117, 1118};
}

void TestHoldingsForm::rowControlsCarryTheirNumbers()
{
    QFETCH(int, row);
    QFETCH(QList<int>, ids);
    HoldingsForm form;
    const QList<QWidget *> controls{form.nameBox(row), form.symbolBox(row), form.sharesBox(row),
                                    form.classSelector(row), form.valueBox(row),
                                    form.percentBox(row)};
    for (int i = 0; i < controls.size(); ++i) {
        QCOMPARE(controls[i]->property("controlId").toInt(), ids[i]);
        QCOMPARE(form.control(ids[i]), controls[i]);
    }
    QCOMPARE(form.sharesBox(row)->accessibleName(), QStringLiteral("Row %1 shares").arg(row + 1));
}

void TestHoldingsForm::rowFifteenSitsDirectlyUnderRowFourteen()
{
    HoldingsForm form;
    const DialogUnits units(form.font());
    const int row14 = form.control(1084)->y();
    const int row15 = form.control(1090)->y();
    QCOMPARE(row15 - row14, units.y(323) - units.y(311));
    QCOMPARE(form.control(1096)->y() - row15, units.y(335) - units.y(323));
    // Nothing of another row sits between them.
    for (int row = 0; row < HoldingRowCount; ++row) {
        const int y = form.nameBox(row)->y();
        QVERIFY(row == 14 || row == 15 || y <= row14 || y >= row15);
    }
    // The whole row shares one line.
    for (int id = 1090; id <= 1095; ++id) {
        if (id != 1095)
            QCOMPARE(form.control(id)->y(), row15);
    }
}

void TestHoldingsForm::rowsAreEvenlySpacedElsewhere()
{
    HoldingsForm form;
    const DialogUnits units(form.font());
    for (int row = 0; row < HoldingRowCount; ++row) {
        const int y = form.nameBox(row)->y();
        const int expected = row <= 14 ? 115 + 14 * row : (row == 15 ? 323 : 335 + 14 * (row - 16));
        QCOMPARE(y, units.y(expected));
    }
}

void TestHoldingsForm::classSelectorsListTheFiveClasses()
{
    HoldingsForm form;
    const QStringList labels{"Cash", "Bonds", "Stocks", "Real", "EMD"};
    for (int row = 0; row < HoldingRowCount; ++row) {
        const QComboBox *selector = form.classSelector(row);
        QVERIFY(!selector->isEditable());
        QCOMPARE(selector->currentIndex(), -1);
        QCOMPARE(selector->count(), labels.size());
        for (int i = 0; i < labels.size(); ++i)
            QCOMPARE(selector->itemText(i), labels[i]);
    }
}

void TestHoldingsForm::boxStyles()
{
    HoldingsForm form;
    const Qt::Alignment horizontal = Qt::AlignHorizontal_Mask;
    for (int row = 0; row < HoldingRowCount; ++row) {
        QVERIFY(!form.nameBox(row)->isReadOnly());
        QVERIFY(!form.sharesBox(row)->isReadOnly());
        QCOMPARE(form.sharesBox(row)->alignment() & horizontal, Qt::AlignRight);
        for (const QLineEdit *computed : {form.valueBox(row), form.percentBox(row)}) {
            QVERIFY(computed->isReadOnly());
            QCOMPARE(computed->alignment() & horizontal, Qt::AlignRight);
            QVERIFY(!(computed->focusPolicy() & Qt::TabFocus));
        }
    }
    QVERIFY(form.totalBox()->isReadOnly());
    QCOMPARE(form.totalBox()->alignment() & horizontal, Qt::AlignRight);
    for (int c = 0; c < AssetClassCount; ++c) {
        QVERIFY(form.classPercentBox(c)->isReadOnly());
        QCOMPARE(form.classPercentBox(c)->alignment() & horizontal, Qt::AlignHCenter);
        QVERIFY(form.classAmountBox(c)->isReadOnly());
        QCOMPARE(form.classAmountBox(c)->alignment() & horizontal, Qt::AlignRight);
    }
}

void TestHoldingsForm::tabOrderRunsRowByRowThenButtons()
{
    HoldingsForm form;
    QList<QWidget *> expected;
    for (int row = 0; row < HoldingRowCount; ++row)
        expected << form.nameBox(row) << form.symbolBox(row) << form.sharesBox(row)
                 << form.classSelector(row);
    expected << form.finishedButton() << form.getProfileButton() << form.saveProfileButton()
             << form.calculateButton() << form.rebalanceButton();

    QList<QWidget *> chain;
    QWidget *widget = form.nameBox(0);
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->isHidden())
            chain << widget;
        widget = widget->nextInFocusChain();
    } while (widget != form.nameBox(0));
    QCOMPARE(chain, expected);
}

void TestHoldingsForm::calculateIsTheDefaultButton()
{
    HoldingsForm form;
    QVERIFY(form.calculateButton()->isDefault());
    QCOMPARE(form.calculateButton()->text(), QStringLiteral("&Calculate"));
    QCOMPARE(form.finishedButton()->text(), QStringLiteral("&Finished"));
    QCOMPARE(form.getProfileButton()->text(), QStringLiteral("&Get Profile"));
    QCOMPARE(form.saveProfileButton()->text(), QStringLiteral("&Save Profile"));
    for (QPushButton *other : {form.finishedButton(), form.getProfileButton(), form.saveProfileButton()})
        QVERIFY(!other->isDefault());
}

void TestHoldingsForm::buttonColumn_data()
{
    QTest::addColumn<int>("controlId");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("y");

    QTest::newRow("Finished") << ControlId::Finished << "&Finished" << 11;
    QTest::newRow("Get Profile") << ControlId::GetProfile << "&Get Profile" << 28;
    QTest::newRow("Save Profile") << ControlId::SaveProfile << "&Save Profile" << 44;
    QTest::newRow("Calculate") << ControlId::Calculate << "&Calculate" << 62;
    QTest::newRow("Rebalance") << ControlId::Rebalance << "Re&balance..." << 80;
}

void TestHoldingsForm::buttonColumn()
{
    QFETCH(int, controlId);
    QFETCH(QString, text);
    QFETCH(int, y);

    HoldingsForm form;
    const DialogUnits units(form.font());
    auto *button = qobject_cast<QPushButton *>(form.control(controlId));
    QVERIFY(button);
    QCOMPARE(button->text(), text);
    QCOMPARE(button->geometry(), units.rect(375, y, 49, 12));
}

void TestHoldingsForm::headingsAndSummaryTexts()
{
    HoldingsForm form;
    QStringList texts;
    for (const QLabel *label : form.findChildren<QLabel *>())
        texts << label->text();
    for (const char *text : {"Asset", "Symbol", "Shares", "Asset Class", "Value", "Pct Portfolio",
                             "Assset Allocation", "Fundtally", "Cash", "Bonds", "Stocks", "Real", "EMD"})
        QVERIFY2(texts.contains(QString::fromLatin1(text)), text);
    QCOMPARE(texts.count(QStringLiteral("%")), AssetClassCount);
}

void TestHoldingsForm::selectorOutsideTheClassesReadsNoClass_data()
{
    QTest::addColumn<int>("assetClass");
    QTest::addColumn<int>("readBack");
    QTest::newRow("none") << -1 << -1;
    QTest::newRow("Cash") << 0 << 0;
    QTest::newRow("EMD") << 4 << 4;
    QTest::newRow("past the end") << 5 << -1;
    QTest::newRow("far negative") << -7 << -1;
}

void TestHoldingsForm::selectorOutsideTheClassesReadsNoClass()
{
    QFETCH(int, assetClass);
    QFETCH(int, readBack);
    HoldingsForm form;
    HoldingsFields fields;
    RowTable table;
    table.fill(fields, form);

    table.row(7).setAssetClass(2);
    table.row(7).setAssetClass(assetClass);
    QCOMPARE(table.row(7).assetClass(), readBack);
    QCOMPARE(form.classSelector(7)->currentIndex(), readBack);
    QCOMPARE(form.classSelector(7)->currentText().isEmpty(), readBack == -1);
}

void TestHoldingsForm::rowTableFollowsScreenOrder()
{
    HoldingsForm form;
    HoldingsFields fields;
    RowTable table;
    table.fill(fields, form);

    for (int r = 0; r < RowTable::size(); ++r) {
        HoldingRow row = table.row(r);
        row.name = QStringLiteral("name %1").arg(r);
        row.shares = r;
        row.setAssetClass(r % AssetClassCount);
    }
    for (int r = 0; r < HoldingRowCount; ++r) {
        QCOMPARE(fields.name[r], QStringLiteral("name %1").arg(r));
        QCOMPARE(fields.shares[r], double(r));
        QCOMPARE(form.classSelector(r)->currentIndex(), r % AssetClassCount);
        if (r > 0)
            QVERIFY(form.classSelector(r)->y() > form.classSelector(r - 1)->y());
    }
}

void TestHoldingsForm::formGrowsWithItsFont()
{
    HoldingsForm form;
    const QSize before = form.sizeHint();
    const int rowBefore = form.nameBox(19)->y();
    QFont larger = form.font();
    larger.setPointSizeF(larger.pointSizeF() * 2);
    form.setFont(larger);
    QVERIFY(form.sizeHint().width() > before.width() * 3 / 2);
    QVERIFY(form.sizeHint().height() > before.height() * 3 / 2);
    QVERIFY(form.nameBox(19)->y() > rowBefore * 3 / 2);
}

QTEST_MAIN(TestHoldingsForm)
#include "tst_holdingsform.moc"
