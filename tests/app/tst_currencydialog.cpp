// The Currency dialog as the user works it: typing filters the list, the
// current code stays selected while it matches, a click picks another, and
// Enter or OK gives the selected code.

#include "currencydialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

class TestCurrencyDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void searchPickAndFinish_data();
    void searchPickAndFinish();
};

void TestCurrencyDialog::searchPickAndFinish_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("picked");   // the code clicked, if any
    QTest::addColumn<int>("finishKey");     // 0: a click on OK
    QTest::addColumn<QString>("selected"); // the selected line's text
    QTest::addColumn<int>("result");        // -1: still open

    const int accepted = QDialog::Accepted;
    QTest::newRow("a name typed, OK") << "CHF" << "yen" << "" << 0 << "JPY \u2014 Japanese Yen" << accepted;
    QTest::newRow("current kept while it matches") << "NOK" << "KRON" << "" << int(Qt::Key_Return)
                                                   << "NOK \u2014 Norwegian Krone" << accepted;
    QTest::newRow("another picked, Enter") << "USD" << "kron" << "DKK" << int(Qt::Key_Return)
                                           << "DKK \u2014 Danish Krone" << accepted;
    QTest::newRow("a code without a name") << "XAU" << "xa" << "" << 0 << "XAU" << accepted;
    QTest::newRow("nothing matches") << "CHF" << "zzz" << "" << int(Qt::Key_Return) << "" << -1;
    QTest::newRow("Escape") << "CHF" << "yen" << "" << int(Qt::Key_Escape) << "JPY \u2014 Japanese Yen"
                            << int(QDialog::Rejected);
}

void TestCurrencyDialog::searchPickAndFinish()
{
    QFETCH(QString, current);
    QFETCH(QString, typed);
    QFETCH(QString, picked);
    QFETCH(int, finishKey);
    QFETCH(QString, selected);
    QFETCH(int, result);

    CurrencyDialog dialog(current);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Currency"));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.searchBox());

    QTest::keyClicks(dialog.searchBox(), typed);
    QListWidget *list = dialog.list();
    if (!picked.isEmpty()) {
        const QList<QListWidgetItem *> found = list->findItems(picked, Qt::MatchStartsWith);
        QCOMPARE(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
    }
    QCOMPARE(list->currentItem() ? list->currentItem()->text() : QString(), selected);
    QCOMPARE(dialog.okButton()->isEnabled(), !selected.isEmpty());

    if (finishKey)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(finishKey));
    else
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    QCOMPARE(dialog.isVisible(), result == -1);
    if (result != -1)
        QCOMPARE(dialog.result(), result);
    QCOMPARE(dialog.chosenCode(), selected.left(3));
}

QTEST_MAIN(TestCurrencyDialog)
#include "tst_currencydialog.moc"
