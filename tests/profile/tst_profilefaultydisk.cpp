// Saving onto disks that fail, and loading files no profile could be: the
// previous file stays byte for byte, nothing is left behind, and the message
// says what went wrong. Root ignores permission bits, so the faults here are
// ones that stop root too: a full file system, a file system with room for
// only part of the new file, and a file size limit that cuts a write short.

#include "filesizelimit.h"
#include "profileformat.h"
#include "profilefile.h"
#include "profiletestdata.h"
#include "scratchtmpfs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr qint64 kTmpfsBytes = 64 * 1024;

enum class Fault {
    FullFileSystem,     // no free block at all
    RoomForPart,        // some blocks free, fewer than the new file needs
    FileSizeLimit,      // the process may not write files past a size
};

// Twenty records with long names: about 20 KB, several file system blocks.
Holdings largeHoldings()
{
    Holdings records;
    for (std::size_t row = 0; row < records.size(); ++row) {
        records[row] = {QString(1000, QChar(u'a' + static_cast<char16_t>(row))), QStringLiteral("SYM%1").arg(row),
                        static_cast<double>(row) + 0.5, static_cast<int>(row % 5)};
    }
    return records;
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestProfileFaultyDisk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failedWriteKeepsPreviousFile_data();
    void failedWriteKeepsPreviousFile();
    void refusesSparseGigabyteFile();
    void refusesBinaryJunk();
};

void TestProfileFaultyDisk::failedWriteKeepsPreviousFile_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<bool>("large");          // about 20 KB rather than about 1.5 KB
    QTest::addColumn<QString>("systemError"); // the reason the system gives, as the message shows it

    const QString noSpace = QStringLiteral("No space left on device");
    const QString tooLarge = QStringLiteral("File too large");
    // A small profile fits in the write buffer of a file, a large one does
    // not: the two take different roads to the disk.
    QTest::newRow("full file system, small profile") << Fault::FullFileSystem << false << noSpace;
    QTest::newRow("full file system, large profile") << Fault::FullFileSystem << true << noSpace;
    QTest::newRow("room for part of the file") << Fault::RoomForPart << true << noSpace;
    QTest::newRow("file size limit, small profile") << Fault::FileSizeLimit << false << tooLarge;
    QTest::newRow("file size limit, large profile") << Fault::FileSizeLimit << true << tooLarge;
}

void TestProfileFaultyDisk::failedWriteKeepsPreviousFile()
{
    QFETCH(Fault, fault);
    QFETCH(bool, large);
    QFETCH(QString, systemError);

    const QByteArray oldBytes = readProfileTestData(QStringLiteral("crlf.ftly"));
    const Holdings records = large ? largeHoldings() : filledHoldings();
    const QByteArray newBytes = writeProfile(records);
    std::unique_ptr<ScratchTmpfs> tmpfs;
    QTemporaryDir plainFolder;
    QString folder = plainFolder.path();
    if (fault != Fault::FileSizeLimit) {
        tmpfs = std::make_unique<ScratchTmpfs>(kTmpfsBytes);
        if (!tmpfs->isMounted())
            QSKIP(qPrintable(tmpfs->error()));
        folder = tmpfs->path();
    }
    const QString target = QDir(folder).filePath(QStringLiteral("mine.ftly"));
    writeFile(target, oldBytes);

    ProfileSave save;
    if (fault == Fault::FileSizeLimit) {
        // Half the new file is written before the limit stops the write.
        const FileSizeLimit limit(newBytes.size() / 2);
        QVERIFY(limit.isActive());
        save = saveProfileFile(target, records);
    } else {
        const qint64 leave = fault == Fault::FullFileSystem ? 0 : 8 * 1024;
        const qint64 free = tmpfs->fill(QStringLiteral("filler"), leave);
        QVERIFY2(free >= 0, "the filler file could not be written");
        QCOMPARE_LT(free, newBytes.size());
        if (fault == Fault::RoomForPart)
            QCOMPARE_GT(free, 0);
        save = saveProfileFile(target, records);
    }

    QVERIFY(!save.ok);
    const QString prefix = QStringLiteral("Could not save the profile \"%1\": ").arg(QDir::toNativeSeparators(target));
    QVERIFY2(save.message.startsWith(prefix), qPrintable(save.message));
    QVERIFY2(save.message.contains(systemError), qPrintable(save.message));
    QCOMPARE(fileBytes(target), oldBytes);
    const QStringList expectedEntries = fault == Fault::FileSizeLimit
        ? QStringList{QStringLiteral("mine.ftly")}
        : QStringList{QStringLiteral("filler"), QStringLiteral("mine.ftly")};
    QCOMPARE(folderEntries(folder), expectedEntries);
}

void TestProfileFaultyDisk::refusesSparseGigabyteFile()
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("huge.ftly"));
    QFile file(target);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(readProfileTestData(QStringLiteral("filled.ftly"))) > 0);
    // Sparse: a gigabyte long without taking a gigabyte of disk.
    QVERIFY2(file.resize(qint64(1) << 30), qPrintable(file.errorString()));
    file.close();

    const ProfileLoad load = loadProfileFile(target);
    QVERIFY(!load.holdings);
    QCOMPARE(load.message, QStringLiteral("Could not load the profile \"%1\": the file is larger than 1024 KiB, "
                                          "too large to be a profile.")
                               .arg(QDir::toNativeSeparators(target)));
}

void TestProfileFaultyDisk::refusesBinaryJunk()
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("junk.ftly"));
    QByteArray junk(64 * 1024, Qt::Uninitialized);
    quint32 state = 12345;
    for (char &byte : junk) {
        state = state * 1103515245u + 12345u; // fixed sequence: the same junk on every run
        byte = static_cast<char>(state >> 24);
    }
    writeFile(target, junk);

    const ProfileLoad load = loadProfileFile(target);
    QVERIFY(!load.holdings);
    QVERIFY2(load.message.startsWith(QStringLiteral("Could not load the profile \"%1\": ")
                                         .arg(QDir::toNativeSeparators(target))),
             qPrintable(load.message));
    QVERIFY2(load.message.contains(QStringLiteral("it is not a Fundtally profile")), qPrintable(load.message));
    // The junk's start is quoted with nothing in it that does not print.
    for (const QChar c : load.message)
        QVERIFY2(c.isPrint(), qPrintable(load.message));
}

QTEST_APPLESS_MAIN(TestProfileFaultyDisk)
#include "tst_profilefaultydisk.moc"
