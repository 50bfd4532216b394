#include "profileformat.h"
#include "profilefile.h"
#include "profiletestdata.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The longest name most file systems allow, so a save cannot create any
// sibling name derived from it.
const QString LongestFileName = QString(250, u'n') + QStringLiteral(".ftly");

QString loadMessage(const QString &path, const QString &problem)
{
    return QStringLiteral("Could not load the profile \"%1\": %2.").arg(QDir::toNativeSeparators(path), problem);
}

} // namespace

class TestProfileFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void savesAndLoadsRecords();
    void savesAndLoadsTargets();
    void saveReplacesLongerFile();
    void failedSaveKeepsEveryFile_data();
    void failedSaveKeepsEveryFile();
    void refusedLoad_data();
    void refusedLoad();
    void loadsFileOfExactlyTheSizeLimit();
    void refusesEndlessDeviceWithoutReadingItWhole();
    void refusesUnreadableFile();
    void exampleProfileLoads();

private:
    QString path(const QString &name) const { return m_folder->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestProfileFile::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void TestProfileFile::savesAndLoadsRecords()
{
    const QString target = path(QStringLiteral("mine.ftly"));
    const ProfileSave save = saveProfileFile(target, filledHoldings());
    QVERIFY2(save.ok, qPrintable(save.message));
    QVERIFY(save.message.isEmpty());
    QCOMPARE(fileBytes(target), readProfileTestData(QStringLiteral("filled.ftly")));

    const ProfileLoad load = loadProfileFile(target);
    QVERIFY2(load.holdings, qPrintable(load.message));
    QVERIFY(load.message.isEmpty());
    Holdings expected = filledHoldings();
    expected[7].symbol = QStringLiteral("X Y");
    expected[8] = {QStringLiteral("Tab Name"), QString(), 1e21, -1};
    QCOMPARE(*load.holdings, expected);
}

void TestProfileFile::savesAndLoadsTargets()
{
    const QString target = path(QStringLiteral("mine.ftly"));
    const ProfileSave save = saveProfileFile(target, filledHoldings(), sampleTargets());
    QVERIFY2(save.ok, qPrintable(save.message));
    QCOMPARE(fileBytes(target), readProfileTestData(QStringLiteral("targets.ftly")));

    const ProfileLoad load = loadProfileFile(target);
    QVERIFY2(load.holdings, qPrintable(load.message));
    QCOMPARE(load.targets, AssetTargets(sampleTargets()));

    // Saved again without targets, the file has none.
    QVERIFY(saveProfileFile(target, *load.holdings).ok);
    QCOMPARE(fileBytes(target), writeProfile(*load.holdings));
    QVERIFY(!loadProfileFile(target).targets);
}

void TestProfileFile::saveReplacesLongerFile()
{
    const QString target = path(QStringLiteral("mine.ftly"));
    writeFile(target, QByteArray(64 * 1024, 'x'));

    const ProfileSave save = saveProfileFile(target, Holdings{});
    QVERIFY2(save.ok, qPrintable(save.message));
    QCOMPARE(fileBytes(target), readProfileTestData(QStringLiteral("empty.ftly")));
    QCOMPARE(folderEntries(m_folder->path()), QStringList{QStringLiteral("mine.ftly")});
}

void TestProfileFile::failedSaveKeepsEveryFile_data()
{
    QTest::addColumn<QString>("target");

    // Each of these stops root as well, which ignores permissions.
    QTest::newRow("existing file with the longest name") << LongestFileName;
    QTest::newRow("under a regular file") << QStringLiteral("old.ftly/new.ftly");
    QTest::newRow("missing folder") << QStringLiteral("missing/new.ftly");
    QTest::newRow("a folder") << QStringLiteral("folder");
}

void TestProfileFile::failedSaveKeepsEveryFile()
{
    QFETCH(QString, target);

    const QByteArray oldBytes = readProfileTestData(QStringLiteral("crlf.ftly"));
    writeFile(path(QStringLiteral("old.ftly")), oldBytes);
    writeFile(path(LongestFileName), oldBytes);
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("folder")));
    writeFile(path(QStringLiteral("folder/inside.ftly")), oldBytes);
    const QStringList entriesBefore = folderEntries(m_folder->path());

    const ProfileSave save = saveProfileFile(path(target), filledHoldings());
    QVERIFY(!save.ok);
    const QString prefix = QStringLiteral("Could not save the profile \"%1\": ")
                               .arg(QDir::toNativeSeparators(path(target)));
    QVERIFY2(save.message.startsWith(prefix), qPrintable(save.message));
    QVERIFY2(save.message.size() > prefix.size() + 5, qPrintable(save.message));

    QCOMPARE(folderEntries(m_folder->path()), entriesBefore);
    QCOMPARE(folderEntries(path(QStringLiteral("folder"))), QStringList{QStringLiteral("inside.ftly")});
    QCOMPARE(fileBytes(path(QStringLiteral("old.ftly"))), oldBytes);
    QCOMPARE(fileBytes(path(LongestFileName)), oldBytes);
    QCOMPARE(fileBytes(path(QStringLiteral("folder/inside.ftly"))), oldBytes);
}

void TestProfileFile::refusedLoad_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("problem");

    const QByteArray profile = readProfileTestData(QStringLiteral("filled.ftly"));
    QByteArray badShares = profile;
    badShares.replace("AssetShares\t2500.25", "AssetShares\t2,500.25");

    QTest::newRow("missing file") << QStringLiteral("none.ftly") << QByteArray()
        << QStringLiteral("the file does not exist");
    QTest::newRow("under a regular file") << QStringLiteral("plain.ftly/none.ftly") << QByteArray()
        << QStringLiteral("the file does not exist");
    QTest::newRow("folder") << QStringLiteral("folder") << QByteArray()
        << QStringLiteral("it is a folder, not a profile file");
    QTest::newRow("empty file") << QStringLiteral("empty.ftly") << QByteArray("")
        << QStringLiteral("the file is empty");
    QTest::newRow("short file") << QStringLiteral("short.ftly") << profile.first(profile.indexOf("AssetName\tNULL") + 14)
        << QStringLiteral("the file ends inside record 10, before its symbol label");
    QTest::newRow("shares not a number") << QStringLiteral("bad.ftly") << badShares
        << QStringLiteral("the shares \"2,500.25\" in record 6 are not a number");
    QTest::newRow("targets not adding up") << QStringLiteral("targets.ftly")
        << profile + "AssetTargets\t10\t10\t10\t10\t10\n"
        << QStringLiteral("the AssetTargets line after record 20 has targets that add up to 50 %, not 100 %");
    QTest::newRow("one byte over the limit") << QStringLiteral("big.ftly")
        << profile + QByteArray(MaxProfileFileSize + 1 - profile.size(), '\n')
        << QStringLiteral("the file is larger than 1024 KiB, too large to be a profile");
}

void TestProfileFile::refusedLoad()
{
    QFETCH(QString, target);
    QFETCH(QByteArray, contents);
    QFETCH(QString, problem);

    writeFile(path(QStringLiteral("plain.ftly")), "plain");
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("folder")));
    if (!contents.isNull())
        writeFile(path(target), contents);

    const ProfileLoad load = loadProfileFile(path(target));
    QVERIFY(!load.holdings);
    QCOMPARE(load.message, loadMessage(path(target), problem));
}

void TestProfileFile::loadsFileOfExactlyTheSizeLimit()
{
    const QByteArray profile = readProfileTestData(QStringLiteral("filled.ftly"));
    const QString target = path(QStringLiteral("padded.ftly"));
    writeFile(target, profile + QByteArray(MaxProfileFileSize - profile.size(), ' '));

    const ProfileLoad load = loadProfileFile(target);
    QVERIFY2(load.holdings, qPrintable(load.message));
    QCOMPARE(*load.holdings, *readProfile(profile).holdings);
}

void TestProfileFile::refusesEndlessDeviceWithoutReadingItWhole()
{
    // A device that never ends reports no size, so only a bounded read
    // returns at all.
    const QString endless = QStringLiteral("/dev/zero");
    if (!QFile::exists(endless))
        QSKIP("this system has no /dev/zero");

    const ProfileLoad load = loadProfileFile(endless);
    QVERIFY(!load.holdings);
    QCOMPARE(load.message,
             loadMessage(endless, QStringLiteral("the file is larger than 1024 KiB, too large to be a profile")));
}

void TestProfileFile::refusesUnreadableFile()
{
    const QString target = path(QStringLiteral("locked.ftly"));
    writeFile(target, readProfileTestData(QStringLiteral("filled.ftly")));
    QVERIFY(QFile::setPermissions(target, QFileDevice::Permissions()));
    if (QFile file(target); file.open(QIODevice::ReadOnly))
        QSKIP("file permissions do not stop this user (running as root)");

    const ProfileLoad load = loadProfileFile(target);
    QVERIFY(!load.holdings);
    QVERIFY2(load.message.startsWith(loadMessage(target, QStringLiteral("the file cannot be opened (")).chopped(1)),
             qPrintable(load.message));
}

void TestProfileFile::exampleProfileLoads()
{
    const QString example = QStringLiteral(FUNDTALLY_EXAMPLES "/retirement.ftly");
    const ProfileLoad load = loadProfileFile(example);
    QVERIFY2(load.holdings, qPrintable(load.message));

    const Holdings &records = *load.holdings;
    const QStringList symbols{QStringLiteral("VTI"), QStringLiteral("BND"), QStringLiteral("VXUS"),
                              QStringLiteral("VNQ"), QStringLiteral("EMB"), QStringLiteral("Money Market")};
    const QList<int> classes{2, 1, 2, 3, 4, 0};
    for (qsizetype row = 0; row < symbols.size(); ++row) {
        const Holding &record = records[static_cast<std::size_t>(row)];
        QCOMPARE(record.symbol, symbols[row]);
        QCOMPARE(record.assetClass, classes[row]);
        QVERIFY(record.shares > 0);
        QVERIFY(!record.name.isEmpty());
    }
    for (std::size_t row = symbols.size(); row < records.size(); ++row)
        QCOMPARE(records[row], Holding{});
    // The sample looks exactly as the program would save it.
    QCOMPARE(writeProfile(records), fileBytes(example));
}

QTEST_APPLESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
