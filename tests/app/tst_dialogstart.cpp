// A profile named on the command line opens once the window is up, as Get
// Profile would open it: priced at once, or, when it is no readable profile,
// an empty form and a message saying why.

#include "dialogharness.h"
#include "fundtallyapp.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "profileformat.h"

#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>


namespace {

// Longest a start-up run may take before the test gives up on it.
constexpr int RunTimeoutMs = 15000;

struct Harness : ProfileFolder, DialogHarness<>
{
    Harness() { quotes.prices = {{"VTI", 12.5}, {"BND", 70.25}}; }

    // Runs the dialog as start-up does and closes it once the profile has
    // been priced or a message has been shown.
    int run(const QString &profilePath)
    {
        QTimer settled;
        settled.setInterval(5);
        QObject::connect(&settled, &QTimer::timeout, dialog.get(), [this] {
            if (!messages.errors.isEmpty() || (calculated && !dialog->isCalculating()))
                dialog->reject();
        });
        QObject::connect(dialog.get(), &CFundtallyDlg::calculationFinished, dialog.get(),
                         [this] { calculated = true; });
        QTimer::singleShot(RunTimeoutMs, dialog.get(), [this] { dialog->reject(); });
        settled.start();
        return runHoldingsDialog(*dialog, profilePath);
    }

    bool calculated = false;
};

Holdings sampleRecords()
{
    Holdings records;
    records[0] = {QStringLiteral("Total Market"), QStringLiteral("VTI"), 10, 2};
    records[3] = {QStringLiteral("Bond Fund"), QStringLiteral("BND"), 4, 1};
    return records;
}

} // namespace

class TestDialogStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensAndPricesTheProfile();
    void noProfileStartsEmpty();
    void unreadableProfileLeavesTheEmptyForm_data();
    void unreadableProfileLeavesTheEmptyForm();
};

void TestDialogStart::opensAndPricesTheProfile()
{
    Harness h;
    const QString path = h.writeFile(QStringLiteral("savings.ftly"), writeProfile(sampleRecords()));
    h.run(path);

    QVERIFY(h.calculated);
    QVERIFY(h.messages.errors.isEmpty());
    HoldingsForm &form = h.dialog->form();
    QCOMPARE(form.nameBox(0)->text(), QStringLiteral("Total Market"));
    QCOMPARE(form.nameBox(3)->text(), QStringLiteral("Bond Fund"));
    QCOMPARE(h.quotes.requested, (QStringList{"VTI", "BND"}));
    QCOMPARE(form.valueBox(0)->text(), QStringLiteral("125"));
    QCOMPARE(form.totalBox()->text(), QStringLiteral("406"));
    QCOMPARE(h.files.openAsked, 0);
}

void TestDialogStart::noProfileStartsEmpty()
{
    Harness h;
    const QStringList fresh = formSnapshot(h.dialog->form());
    QTimer::singleShot(50, h.dialog.get(), [&h] { h.dialog->reject(); });
    h.run(QString());
    QVERIFY(!h.calculated);
    QVERIFY(h.messages.errors.isEmpty());
    QVERIFY(h.quotes.requested.isEmpty());
    QCOMPARE(formSnapshot(h.dialog->form()), fresh);
}

void TestDialogStart::unreadableProfileLeavesTheEmptyForm_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("missing file") << "missing" << "does not exist";
    QTest::newRow("folder") << "folder" << "folder";
    QTest::newRow("bad profile") << "bad" << "record 4";
    QTest::newRow("empty file") << "empty" << "savings.ftly";
}

void TestDialogStart::unreadableProfileLeavesTheEmptyForm()
{
    QFETCH(QString, kind);
    QFETCH(QString, mentions);
    Harness h;
    QString path = h.dir.filePath(QStringLiteral("savings.ftly"));
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(h.dir.path()).mkdir(QStringLiteral("savings.ftly")));
    } else if (kind == QLatin1String("bad")) {
        const QByteArray good = writeProfile(sampleRecords());
        path = h.writeFile(QStringLiteral("savings.ftly"),
                           QByteArray(good).replace("AssetShares\t4\n", "AssetShares\tfour\n"));
    } else if (kind == QLatin1String("empty")) {
        path = h.writeFile(QStringLiteral("savings.ftly"), QByteArray());
    }
    QVERIFY(!path.isEmpty());
    const QStringList fresh = formSnapshot(h.dialog->form());

    h.run(path);

    QCOMPARE(h.messages.errors.size(), 1);
    const QString message = h.messages.errors.constFirst();
    QVERIFY2(message.contains(mentions), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("savings.ftly")), qPrintable(message));
    QVERIFY(!h.calculated);
    QVERIFY(h.quotes.requested.isEmpty());
    QCOMPARE(formSnapshot(h.dialog->form()), fresh);
}

QTEST_MAIN(TestDialogStart)
#include "tst_dialogstart.moc"
