// Get Profile and Save Profile through the dialog: the chosen file fills the
// rows and is priced at once; a file that cannot be read changes nothing.

#include "profileformat.h"
#include "sitedialog.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

// A dialog on a loopback quote site, with a folder for profiles.
struct Site : SiteDialog, ProfileFolder
{
};

Holdings sampleRecords()
{
    Holdings records;
    records[0] = {QStringLiteral("Total Market"), QStringLiteral("VTI"), 10, 2};
    records[1] = {QStringLiteral("Savings"), QStringLiteral("Money Market"), 100, 0};
    records[4] = {QStringLiteral("Bond Fund"), QStringLiteral("BND"), 4, 1};
    records[9] = {QStringLiteral("Watch list"), QStringLiteral("BND"), 0, 1};
    return records;
}

} // namespace

class TestDialogProfile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void getProfileFillsAndPrices();
    void unreadableProfileChangesNothing_data();
    void unreadableProfileChangesNothing();
    void cancelledChoicesChangeNothing();
    void saveProfileWritesTheRows();
    void failedSaveKeepsTheOldFile();
    void saveNeedsNumbers();
};

void TestDialogProfile::getProfileFillsAndPrices()
{
    Site site;
    site.files.openPath = site.writeFile(QStringLiteral("mine.ftly"), writeProfile(sampleRecords()));
    QSignalSpy finished(site.dialog.get(), &CFundtallyDlg::calculationFinished);
    site.dialog->OnGetProfile();
    QVERIFY(finished.wait(15000));

    HoldingsForm &form = site.form();
    QCOMPARE(form.nameBox(0)->text(), QStringLiteral("Total Market"));
    QCOMPARE(form.symbolBox(1)->text(), QStringLiteral("Money Market"));
    QCOMPARE(form.sharesBox(4)->text(), QStringLiteral("4"));
    QCOMPARE(form.classSelector(4)->currentIndex(), 1);
    QCOMPARE(form.classSelector(2)->currentIndex(), -1);
    QStringList paths = site.server.requestedPaths(); // over two connections, in any order
    paths.sort();
    QCOMPARE(paths, (QStringList{"/quote/BND/?p=BND", "/quote/VTI/?p=VTI"}));
    QCOMPARE(form.valueBox(0)->text(), QStringLiteral("125"));
    QCOMPARE(form.valueBox(4)->text(), QStringLiteral("281"));
    QCOMPARE(form.totalBox()->text(), QStringLiteral("506"));
    QVERIFY(site.messages.errors.isEmpty());
}

void TestDialogProfile::unreadableProfileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("mentions");

    const QByteArray good = writeProfile(sampleRecords());
    QTest::newRow("ends early") << good.left(good.indexOf("AssetName", 200)) << "record";
    QTest::newRow("shares not a number")
        << QByteArray(good).replace("AssetShares\t4\n", "AssetShares\tfour\n") << "record 5";
    QTest::newRow("empty") << QByteArray() << "mine.ftly";
    QTest::newRow("binary junk") << QByteArray("\x00\xff\x13\x37 \x01", 6) << "mine.ftly";
    // Gone between the choice and the reading.
    QTest::newRow("missing") << QByteArray("missing") << "mine.ftly";
}

void TestDialogProfile::unreadableProfileChangesNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, mentions);
    Site site;
    site.form().nameBox(3)->setText(QStringLiteral("Typed, not saved"));
    site.form().sharesBox(3)->setText(QStringLiteral("7"));
    site.form().classSelector(3)->setCurrentIndex(2);
    const QStringList before = site.snapshot();

    site.files.openPath = site.writeFile(QStringLiteral("mine.ftly"), bytes);
    if (QByteArrayView(QTest::currentDataTag()) == "missing")
        QVERIFY(QFile::remove(site.files.openPath));
    site.dialog->OnGetProfile();

    QCOMPARE(site.messages.errors.size(), 1);
    QVERIFY2(site.messages.errors.first().contains(mentions), qPrintable(site.messages.errors.first()));
    QVERIFY(site.messages.errors.first().contains(QStringLiteral("mine.ftly")));
    QVERIFY(!site.dialog->isCalculating());
    QCOMPARE(site.snapshot(), before);
    QCOMPARE(site.server.requestCount(), 0);
}

void TestDialogProfile::cancelledChoicesChangeNothing()
{
    Site site;
    site.form().nameBox(0)->setText(QStringLiteral("Kept"));
    const QStringList before = site.snapshot();
    site.dialog->OnGetProfile();
    site.dialog->OnSaveProfile();
    QCOMPARE(site.files.openAsked, 1);
    QCOMPARE(site.files.saveAsked, 1);
    QCOMPARE(site.snapshot(), before);
    QVERIFY(site.messages.errors.isEmpty());
    QVERIFY(QDir(site.dir.path()).isEmpty());
}

void TestDialogProfile::saveProfileWritesTheRows()
{
    Site site;
    site.form().nameBox(0)->setText(QStringLiteral("Total Market"));
    site.form().symbolBox(0)->setText(QStringLiteral("VTI"));
    site.form().sharesBox(0)->setText(QStringLiteral("1234567"));
    site.form().classSelector(0)->setCurrentIndex(2);
    site.form().nameBox(19)->setText(QStringLiteral("Last row"));
    site.form().sharesBox(19)->setText(QStringLiteral("-0.1"));
    site.files.savePath = site.dir.filePath(QStringLiteral("saved.ftly"));
    site.dialog->OnSaveProfile();
    QVERIFY(site.messages.errors.isEmpty());

    QFile file(site.files.savePath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("AssetName\tTotal#Market\nAssetSymbol\tVTI\nAssetShares\t1234567\nAssetClass\t2\n"));
    QVERIFY(bytes.endsWith("AssetName\tLast#row\nAssetSymbol\tNULL\nAssetShares\t-0.1\nAssetClass\t-1\n"));
    QCOMPARE(bytes.count('\n'), 80);
    QCOMPARE(site.server.requestCount(), 0);
}

void TestDialogProfile::failedSaveKeepsTheOldFile()
{
    Site site;
    const QByteArray old = writeProfile(sampleRecords());
    const QString existing = site.writeFile(QStringLiteral("old.ftly"), old);
    site.form().nameBox(0)->setText(QStringLiteral("New"));

    // A path under a regular file cannot be written, not even by root.
    site.files.savePath = existing + QStringLiteral("/inside.ftly");
    site.dialog->OnSaveProfile();
    QCOMPARE(site.messages.errors.size(), 1);
    QVERIFY(site.messages.errors.first().contains(QStringLiteral("inside.ftly")));

    QFile file(existing);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
}

void TestDialogProfile::saveNeedsNumbers()
{
    Site site;
    site.form().sharesBox(2)->setText(QStringLiteral("12 shares"));
    site.files.savePath = site.dir.filePath(QStringLiteral("never.ftly"));
    site.dialog->OnSaveProfile();
    QCOMPARE(site.prompt.boxes.size(), 1);
    QCOMPARE(site.files.saveAsked, 0);
    QVERIFY(!QFile::exists(site.files.savePath));
}

QTEST_MAIN(TestDialogProfile)
#include "tst_dialogprofile.moc"
