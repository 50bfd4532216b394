#include "allocationlegend.h"
#include "allocationpicture.h"
#include "dialogunits.h"
#include "formfields.h"
#include "holdingsform.h"
#include "rowtable.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
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
    void classSelectorsListTheFiveClasses();
    void boxStyles();
    void tabOrderRunsRowByRowThenButtons();
    void calculateIsTheDefaultButton();
    void buttonColumn_data();
    void buttonColumn();
    void headingsAndSummaryTexts();
    void chartKeyAndHeadingsFitTheirRoom();
    void selectorOutsideTheClassesReadsNoClass_data();
    void selectorOutsideTheClassesReadsNoClass();
    void rowTableFollowsScreenOrder();
    void formGrowsWithItsFont();
    void classSelectorKeepsItsRowName_data();
    void classSelectorKeepsItsRowName();
    void everyNumberedControlNamesItsRowOrClass();
    void clippedComputedBoxShowsItsWholeText_data();
    void clippedComputedBoxShowsItsWholeText();
    void statusLineElidesAndTellsTheWhole_data();
    void statusLineElidesAndTellsTheWhole();
    void statusAreaSpansTheRows();
};

namespace {

QString accessibleText(QObject *object, QAccessible::Text kind)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(kind) : QStringLiteral("<no interface>");
}

// "Stocks amount" says its class, "Row 3 value" its row.
QString expectedNameStart(const HoldingsForm &form, QWidget *control)
{
    for (int row = 0; row < HoldingRowCount; ++row) {
        const QList<QWidget *> controls{form.nameBox(row), form.symbolBox(row), form.sharesBox(row),
                                        form.classSelector(row), form.valueBox(row), form.percentBox(row)};
        if (controls.contains(control))
            return QStringLiteral("Row %1 ").arg(row + 1);
    }
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass) {
        if (control == form.classPercentBox(assetClass) || control == form.classAmountBox(assetClass))
            return QString::fromLatin1(AssetClassLabels[assetClass]) + QLatin1Char(' ');
    }
    return {};
}

} // namespace

void TestHoldingsForm::everyControlNumberOnce()
{
    HoldingsForm form;
    QMultiHash<int, QWidget *> byId;
    for (QWidget *widget : form.findChildren<QWidget *>()) {
        const QVariant id = widget->property("controlId");
        if (id.isValid())
            byId.insert(id.toInt(), widget);
    }

    QSet<int> expected{1}; // Finished, the dialog's OK command
    for (int id = 1000; id <= 1134; ++id)
        expected.insert(id);
    QCOMPARE(QSet<int>(byId.keyBegin(), byId.keyEnd()), expected);
    for (int id : expected)
        QCOMPARE(byId.count(id), 1);
}

// Every row's numbers and line, as the form's table gives them; rows 0 and 1
// are numbered out of step, and rows 14 to 16 are closer together.
void TestHoldingsForm::rowControlsCarryTheirNumbers_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("y"); // dialog units
    QTest::addColumn<QList<int>>("ids"); // name, symbol, shares, class, value, pct

    QTest::newRow("row 0") << 0 << 115 << QList<int>{1000, 1001, 1002, 1006, 1004, 1005};
    QTest::newRow("row 1") << 1 << 129 << QList<int>{1003, 1007, 1008, 1011, 1009, 1010};
    QTest::newRow("row 2") << 2 << 143 << QList<int>{1012, 1013, 1014, 1017, 1015, 1016};
    QTest::newRow("row 3") << 3 << 157 << QList<int>{1018, 1019, 1020, 1023, 1021, 1022};
    QTest::newRow("row 4") << 4 << 171 << QList<int>{1024, 1025, 1026, 1029, 1027, 1028};
    QTest::newRow("row 5") << 5 << 185 << QList<int>{1030, 1031, 1032, 1035, 1033, 1034};
    QTest::newRow("row 6") << 6 << 199 << QList<int>{1036, 1037, 1038, 1041, 1039, 1040};
    QTest::newRow("row 7") << 7 << 213 << QList<int>{1042, 1043, 1044, 1047, 1045, 1046};
    QTest::newRow("row 8") << 8 << 227 << QList<int>{1048, 1049, 1050, 1053, 1051, 1052};
    QTest::newRow("row 9") << 9 << 241 << QList<int>{1054, 1055, 1056, 1059, 1057, 1058};
    QTest::newRow("row 10") << 10 << 255 << QList<int>{1060, 1061, 1062, 1065, 1063, 1064};
    QTest::newRow("row 11") << 11 << 269 << QList<int>{1066, 1067, 1068, 1071, 1069, 1070};
    QTest::newRow("row 12") << 12 << 283 << QList<int>{1072, 1073, 1074, 1077, 1075, 1076};
    QTest::newRow("row 13") << 13 << 297 << QList<int>{1078, 1079, 1080, 1083, 1081, 1082};
    QTest::newRow("row 14") << 14 << 311 << QList<int>{1084, 1085, 1086, 1089, 1087, 1088};
    QTest::newRow("row 15") << 15 << 323 << QList<int>{1090, 1091, 1092, 1095, 1093, 1094};
    QTest::newRow("row 16") << 16 << 335 << QList<int>{1096, 1097, 1098, 1101, 1099, 1100};
    QTest::newRow("row 17") << 17 << 349 << QList<int>{1102, 1103, 1104, 1107, 1105, 1106};
    QTest::newRow("row 18") << 18 << 363 << QList<int>{1108, 1109, 1110, 1113, 1111, 1112};
    QTest::newRow("row 19") << 19 << 377 << QList<int>{1114, 1115, 1116, 1119, 1117, 1118};
}

void TestHoldingsForm::rowControlsCarryTheirNumbers()
{
    QFETCH(int, row);
    QFETCH(int, y);
    QFETCH(QList<int>, ids);
    HoldingsForm form;
    QCOMPARE(form.nameBox(row)->y(), DialogUnits(form.font()).y(y));
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

    // The form's own numbers: 1 is the dialog's OK command.
    QTest::newRow("Finished") << 1 << "&Finished" << 11;
    QTest::newRow("Get Profile") << 1126 << "&Get Profile" << 28;
    QTest::newRow("Save Profile") << 1127 << "&Save Profile" << 44;
    QTest::newRow("Calculate") << 1133 << "&Calculate" << 62;
    QTest::newRow("Rebalance") << 1134 << "Re&balance..." << 80;
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

// Drawn whole: a key with a caption over six entries, and the percent
// heading within the rows' width, which is all a narrow window shows.
void TestHoldingsForm::chartKeyAndHeadingsFitTheirRoom()
{
    HoldingsForm form;
    form.show();
    AllocationPicture picture = allocationPicture({100, 200, 300, 400, 500}, {6, 13, 20, 26, 33}, 1600.0);
    addNoClass(picture, 100.0, 6);
    markPartial(picture);
    markLastKnown(picture);
    form.showAllocation(picture);
    const AllocationLegend *legend = form.allocationLegend();
    QVERIFY(legend->heightForWidth(legend->width()) <= legend->height());

    const QList<QLabel *> labels = form.findChildren<QLabel *>();
    const auto heading = std::find_if(labels.begin(), labels.end(),
                                      [](const QLabel *label) { return label->text() == "Pct Portfolio"; });
    QVERIFY(heading != labels.end());
    QVERIFY((*heading)->geometry().right() <= form.percentBox(0)->geometry().right());
    QVERIFY((*heading)->heightForWidth((*heading)->width()) <= (*heading)->height());
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
    FormFields fields;
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
    FormFields fields;
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

void TestHoldingsForm::classSelectorKeepsItsRowName_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("assetClass");
    QTest::addColumn<QString>("value");
    QTest::newRow("row 1 Stocks") << 0 << 2 << "Stocks";
    QTest::newRow("row 2 Cash") << 1 << 0 << "Cash";
    QTest::newRow("row 20 EMD") << 19 << 4 << "EMD";
    QTest::newRow("row 7 none") << 6 << -1 << "";
}

void TestHoldingsForm::classSelectorKeepsItsRowName()
{
    QFETCH(int, row);
    QFETCH(int, assetClass);
    QFETCH(QString, value);
    HoldingsForm form;
    form.show();
    QComboBox *selector = form.classSelector(row);
    const QString name = QStringLiteral("Row %1 asset class").arg(row + 1);

    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(selector);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::ComboBox);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(iface->text(QAccessible::Value), QString());

    selector->setCurrentIndex(assetClass);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(iface->text(QAccessible::Value), value);

    // The list can be opened through the accessibility actions too.
    QAccessibleActionInterface *actions = iface->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
    actions->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(selector->view()->isVisible());
    selector->hidePopup();
}

void TestHoldingsForm::everyNumberedControlNamesItsRowOrClass()
{
    HoldingsForm form;
    form.show();
    int checked = 0;
    for (QWidget *widget : form.findChildren<QWidget *>()) {
        if (!widget->property("controlId").isValid())
            continue;
        ++checked;
        const QString name = accessibleText(widget, QAccessible::Name);
        QVERIFY2(!name.isEmpty(), qPrintable(widget->property("controlId").toString()));
        const QString start = expectedNameStart(form, widget);
        QVERIFY2(name.startsWith(start), qPrintable(QStringLiteral("%1: %2").arg(widget->property("controlId").toInt()).arg(name)));
    }
    QCOMPARE(checked, 6 * HoldingRowCount + 2 * AssetClassCount + 1 + 5);
    QCOMPARE(accessibleText(form.totalBox(), QAccessible::Name), QStringLiteral("Total value"));
    QCOMPARE(accessibleText(form.calculateButton(), QAccessible::Name), QStringLiteral("Calculate"));
}

void TestHoldingsForm::clippedComputedBoxShowsItsWholeText_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("value fits") << "value" << "125" << "" << "";
    QTest::newRow("value too wide") << "value" << "123450000000" << "" << "123450000000";
    QTest::newRow("value too wide, with a note")
        << "value" << "123450000000" << "Not priced: x" << "123450000000\nNot priced: x";
    QTest::newRow("value fits, with a note") << "value" << "0" << "not looked up: stopped"
                                             << "not looked up: stopped";
    QTest::newRow("percent too wide") << "percent" << "-12345" << "" << "-12345";
    QTest::newRow("total too wide") << "total" << "(123,456,789,012,345,678)" << ""
                                    << "(123,456,789,012,345,678)";
    QTest::newRow("class amount fits") << "amount" << "1,234" << "" << "";
    QTest::newRow("class amount too wide") << "amount" << "123,456,789,012,345,678,901" << ""
                                           << "123,456,789,012,345,678,901";
    QTest::newRow("class percent too wide") << "classPercent" << "123456" << "" << "123456";
}

void TestHoldingsForm::clippedComputedBoxShowsItsWholeText()
{
    QFETCH(QString, which);
    QFETCH(QString, text);
    QFETCH(QString, note);
    QFETCH(QString, toolTip);
    HoldingsForm form;
    form.show();
    const QHash<QString, ComputedBox *> boxes{{"value", form.valueBox(3)},
                                              {"percent", form.percentBox(3)},
                                              {"total", form.totalBox()},
                                              {"amount", form.classAmountBox(2)},
                                              {"classPercent", form.classPercentBox(1)}};
    ComputedBox *box = boxes.value(which);
    box->setNote(note);
    box->setText(text);
    QCOMPARE(box->isClipped(), !toolTip.isEmpty() && toolTip != note);
    QCOMPARE(box->toolTip(), toolTip);
    if (box->isClipped())
        QCOMPARE(box->cursorPosition(), 0);

    // A bigger font can clip what fitted; the tooltip follows.
    QFont big = form.font();
    big.setPointSizeF(big.pointSizeF() * 3);
    box->setFont(big);
    if (box->isClipped())
        QVERIFY(box->toolTip().startsWith(text));
    else
        QCOMPARE(box->toolTip(), note);
}

void TestHoldingsForm::statusLineElidesAndTellsTheWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("elided");
    QTest::newRow("short") << "12 holdings priced." << false;
    QTest::newRow("empty") << "" << false;
    QStringList symbols;
    for (int i = 0; i < 10; ++i)
        symbols << QStringLiteral("SYMBOL%1").arg(i);
    QTest::newRow("ten failures")
        << QStringLiteral("10 of 12 holdings could not be priced \u2014 connection refused: %1")
               .arg(symbols.join(QStringLiteral(", ")))
        << true;
}

void TestHoldingsForm::statusLineElidesAndTellsTheWhole()
{
    QFETCH(QString, text);
    QFETCH(bool, elided);
    HoldingsForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    StatusLine *status = form.statusLabel();
    status->showStatus(text);

    QCOMPARE(status->text(), text);
    QCOMPARE(status->isElided(), elided);
    QCOMPARE(accessibleText(status, QAccessible::Name), text);
    if (elided) {
        QVERIFY(status->shownText().endsWith(QChar(0x2026)));
        QVERIFY(status->fontMetrics().horizontalAdvance(status->shownText()) <= status->contentsRect().width());
        QCOMPARE(status->toolTip(), text);
        QCOMPARE(accessibleText(status, QAccessible::Description), text);
    } else {
        QCOMPARE(status->shownText(), text);
        QCOMPARE(status->toolTip(), QString());
        QCOMPARE(status->accessibleDescription(), QString());
    }

    // Once a short text follows, nothing is left over from the long one.
    status->showStatus(QStringLiteral("Saved a.ftly."));
    QCOMPARE(status->toolTip(), QString());
    QCOMPARE(status->accessibleDescription(), QString());
}

void TestHoldingsForm::statusAreaSpansTheRows()
{
    HoldingsForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const DialogUnits units(form.font());
    StatusLine *status = form.statusLabel();
    const QRect lastRow = form.valueBox(HoldingRowCount - 1)->geometry();
    const auto inForm = [&](QWidget *w) { return QRect(w->mapTo(&form, QPoint(0, 0)), w->size()); };

    // Idle: the whole width from the name column to the Pct column's end.
    QTRY_VERIFY(inForm(status).top() >= lastRow.bottom());
    QCOMPARE(inForm(status).left(), units.x(7));
    QVERIFY(inForm(status).right() >= form.percentBox(0)->geometry().right());

    // Running: the bar and Stop share it, right of the text.
    form.setProgressShown(true);
    QTRY_VERIFY(inForm(form.stopButton()).right() <= units.x(426));
    QVERIFY(inForm(form.progressBar()).left() > inForm(status).right());
    QVERIFY(inForm(form.stopButton()).left() > inForm(form.progressBar()).right());
    QCOMPARE(form.stopButton()->width(), units.x(49));
    QVERIFY(status->width() >= units.x(200));

    form.setProgressShown(false);
    QTRY_VERIFY(inForm(status).right() >= form.percentBox(0)->geometry().right());
}
