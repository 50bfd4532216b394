// The caption: the program's name for a new form, then the name of the
// profile last loaded or saved, marked while the rows or targets differ
// from it.

#include "dialogharness.h"
#include "profileformat.h"
#include "windowcaption.h"

#include <QWindow>
#include <QtTest>

class TestWindowCaption : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void caption_data();
    void caption();
    void followsTheProfile();
};

void TestWindowCaption::caption_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("caption");

    QTest::newRow("new form") << "" << "Fundtally";
    QTest::newRow("profile") << "/home/ann/savings.ftly" << "savings.ftly[*] - Fundtally";
    QTest::newRow("other extension") << "/tmp/old.txt" << "old.txt[*] - Fundtally";
    QTest::newRow("mark in the name") << "/tmp/a[*].ftly" << "a[*][*].ftly[*] - Fundtally";
}

void TestWindowCaption::caption()
{
    QFETCH(QString, path);
    QFETCH(QString, caption);
    QCOMPARE(windowCaption(path), caption);
}

void TestWindowCaption::followsTheProfile()
{
    struct Harness : ProfileFolder, DialogHarness<> {} h;
    Holdings records;
    records[0] = {QStringLiteral("Total Market"), QStringLiteral("VTI"), 10, 2};
    h.quotes.prices = {{"VTI", 12.5}};
    QVERIFY(h.showActive());
    QWindow *window = h.dialog->windowHandle();
    QCOMPARE(window->title(), QStringLiteral("Fundtally"));
    h.type(1, "Typed", "BND", "3", 1);
    QCOMPARE(window->title(), QStringLiteral("Fundtally"));

    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    QVERIFY(h.dialog->loadProfile(h.writeFile(QStringLiteral("savings.ftly"), writeProfile(records))));
    QCOMPARE(window->title(), QStringLiteral("savings.ftly - Fundtally"));
    QVERIFY(finished.wait());
    QCOMPARE(window->title(), QStringLiteral("savings.ftly - Fundtally"));
    QCOMPARE(h.dialog->windowFilePath(), h.dir.filePath(QStringLiteral("savings.ftly")));

    h.form().sharesBox(0)->setText(QStringLiteral("11"));
    QCOMPARE(window->title(), QStringLiteral("savings.ftly* - Fundtally"));
    h.form().sharesBox(0)->setText(QStringLiteral("10"));
    QCOMPARE(window->title(), QStringLiteral("savings.ftly - Fundtally"));
    h.form().classSelector(0)->setCurrentIndex(3);
    QCOMPARE(window->title(), QStringLiteral("savings.ftly* - Fundtally"));
    h.form().classSelector(0)->setCurrentIndex(2);
    h.dialog->setTargets(TargetPercents{20, 20, 60, 0, 0});
    QCOMPARE(window->title(), QStringLiteral("savings.ftly* - Fundtally"));

    h.files.savePath = h.dir.filePath(QStringLiteral("new.ftly"));
    h.dialog->OnSaveProfile();
    QCOMPARE(window->title(), QStringLiteral("new.ftly - Fundtally"));
    QVERIFY(!h.dialog->isWindowModified());
}

QTEST_MAIN(TestWindowCaption)
#include "tst_windowcaption.moc"
