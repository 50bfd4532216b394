// Save Profile and Get Profile through the dialog when the disk fails or the
// chosen file is no profile: the user gets one message naming the file and
// the problem, the previous file stays byte for byte, and the form keeps
// every box as it was.

#include "dialogharness.h"
#include "filesizelimit.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "profileformat.h"
#include "scratchtmpfs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

enum class SaveFault { MissingFolder, FullFileSystem, FileSizeLimit };

// The dialog with rows a user typed and has not saved.
struct Site : DialogHarness<>
{
    Site()
    {
        for (int row = 0; row < 6; ++row) {
            type(row, QStringLiteral("Typed holding number %1").arg(row), QStringLiteral("SYM%1").arg(row),
                 QString::number(10 * row + 1), row % 5);
        }
    }
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable: " + file.errorString().toUtf8() + '>';
    return file.readAll();
}

QByteArray realProfile()
{
    return fileBytes(QStringLiteral(FUNDTALLY_EXAMPLES "/retirement.ftly"));
}

// Where each whitespace-separated token of `bytes` starts and ends.
QList<std::pair<qsizetype, qsizetype>> tokenSpans(const QByteArray &bytes)
{
    QList<std::pair<qsizetype, qsizetype>> spans;
    qsizetype at = 0;
    while (at < bytes.size()) {
        while (at < bytes.size() && QByteArrayView(" \t\r\n\v\f").contains(bytes[at]))
            ++at;
        if (at == bytes.size())
            break;
        const qsizetype start = at;
        while (at < bytes.size() && !QByteArrayView(" \t\r\n\v\f").contains(bytes[at]))
            ++at;
        spans.append({start, at});
    }
    return spans;
}

// What the reader says of a profile that holds only its first `tokens` tokens.
QString truncationProblem(qsizetype tokens)
{
    static const QStringList fields{"name label", "name", "symbol label", "symbol",
                                    "shares label", "shares", "class label", "class"};
    if (tokens == 0)
        return QStringLiteral("the file is empty");
    const qsizetype record = tokens / 8 + 1;
    const qsizetype field = tokens % 8;
    if (field == 0)
        return QStringLiteral("the file ends before record %1").arg(record);
    return QStringLiteral("the file ends inside record %1, before its %2").arg(record).arg(fields[field]);
}

QString loadMessage(const QString &path, const QString &problem)
{
    return QStringLiteral("Could not load the profile \"%1\": %2.").arg(QDir::toNativeSeparators(path), problem);
}

} // namespace

Q_DECLARE_METATYPE(SaveFault)

class TestDialogFaultyDisk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failedSaveKeepsPreviousFile_data();
    void failedSaveKeepsPreviousFile();
    void unreadableFileChangesNothing_data();
    void unreadableFileChangesNothing();
    void profileCutAtAnyTokenChangesNothing();
};

void TestDialogFaultyDisk::failedSaveKeepsPreviousFile_data()
{
    QTest::addColumn<SaveFault>("fault");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing folder") << SaveFault::MissingFolder << QStringLiteral("cannot be created there");
    QTest::newRow("full file system") << SaveFault::FullFileSystem << QStringLiteral("No space left on device");
    QTest::newRow("write cut short by a file size limit") << SaveFault::FileSizeLimit
                                                          << QStringLiteral("File too large");
}

void TestDialogFaultyDisk::failedSaveKeepsPreviousFile()
{
    QFETCH(SaveFault, fault);
    QFETCH(QString, reason);

    Site site;
    QTemporaryDir plainFolder;
    std::unique_ptr<ScratchTmpfs> tmpfs;
    QString folder = plainFolder.path();
    if (fault == SaveFault::FullFileSystem) {
        tmpfs = std::make_unique<ScratchTmpfs>(64 * 1024);
        if (!tmpfs->isMounted())
            QSKIP(qPrintable(tmpfs->error()));
        folder = tmpfs->path();
    }
    const QByteArray old = realProfile();
    const QString existing = QDir(folder).filePath(QStringLiteral("retirement.ftly"));
    QVERIFY(writeFile(existing, old));
    const QStringList before = site.snapshot();

    site.files.savePath = fault == SaveFault::MissingFolder
        ? QDir(folder).filePath(QStringLiteral("missing/retirement.ftly"))
        : existing;
    if (fault == SaveFault::FullFileSystem)
        QCOMPARE(tmpfs->fill(QStringLiteral("filler")), 0);
    if (fault == SaveFault::FileSizeLimit) {
        // The form's profile is about 1.2 KB: the first 512 bytes get written.
        const FileSizeLimit limit(512);
        QVERIFY(limit.isActive());
        site.dialog->OnSaveProfile();
    } else {
        site.dialog->OnSaveProfile();
    }

    QCOMPARE(site.messages.errors.size(), 1);
    const QString &message = site.messages.errors.first();
    QVERIFY2(message.startsWith(QStringLiteral("Could not save the profile \"%1\"")
                                    .arg(QDir::toNativeSeparators(site.files.savePath))),
             qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QCOMPARE(fileBytes(existing), old);
    QCOMPARE(site.snapshot(), before);
    QCOMPARE(site.quotes.requested.size(), 0);
}

void TestDialogFaultyDisk::unreadableFileChangesNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("problem");

    QTest::newRow("a folder") << QStringLiteral("folder") << QStringLiteral("it is a folder, not a profile file");
    QTest::newRow("1 GB sparse file") << QStringLiteral("huge")
                                      << QStringLiteral("the file is larger than 1024 KiB, too large to be a profile");
    QTest::newRow("64 KiB of binary junk") << QStringLiteral("junk")
                                           << QStringLiteral("it is not a Fundtally profile");
}

void TestDialogFaultyDisk::unreadableFileChangesNothing()
{
    QFETCH(QString, kind);
    QFETCH(QString, problem);

    Site site;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("chosen.ftly"));
    if (kind == u"folder") {
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("chosen.ftly")));
    } else if (kind == u"huge") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(realProfile()) > 0);
        QVERIFY2(file.resize(qint64(1) << 30), qPrintable(file.errorString()));
    } else {
        QByteArray junk(64 * 1024, Qt::Uninitialized);
        quint32 state = 2024;
        for (char &byte : junk) {
            state = state * 1664525u + 1013904223u; // the same junk on every run
            byte = static_cast<char>(state >> 24);
        }
        QVERIFY(writeFile(path, junk));
    }
    const QStringList before = site.snapshot();

    site.files.openPath = path;
    site.dialog->OnGetProfile();

    QCOMPARE(site.messages.errors.size(), 1);
    const QString &message = site.messages.errors.first();
    QVERIFY2(message.startsWith(loadMessage(path, QString()).chopped(1)), qPrintable(message));
    QVERIFY2(message.contains(problem), qPrintable(message));
    QCOMPARE(site.snapshot(), before);
    QVERIFY(!site.dialog->isCalculating());
    QCOMPARE(site.quotes.requested.size(), 0);
}

// Cut right after each token, and again with the separator that follows it:
// every cut short of the whole file is refused and names where it ends.
void TestDialogFaultyDisk::profileCutAtAnyTokenChangesNothing()
{
    const QByteArray profile = realProfile();
    const QList<std::pair<qsizetype, qsizetype>> spans = tokenSpans(profile);
    QCOMPARE(spans.size(), 160);

    Site site;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("cut.ftly"));
    site.files.openPath = path;
    const QStringList before = site.snapshot();

    int cuts = 0;
    for (qsizetype tokens = 0; tokens < spans.size(); ++tokens) {
        const qsizetype afterToken = tokens == 0 ? 0 : spans[tokens - 1].second;
        for (const qsizetype cut : {afterToken, spans[tokens].first}) {
            QVERIFY(writeFile(path, profile.first(cut)));
            site.messages.errors.clear();
            site.dialog->OnGetProfile();
            ++cuts;

            const QByteArray where = "cut at byte " + QByteArray::number(cut);
            QVERIFY2(site.messages.errors.size() == 1, where.constData());
            QVERIFY2(site.messages.errors.first() == loadMessage(path, truncationProblem(tokens)),
                     qPrintable(QString::fromLatin1(where) + QStringLiteral(": ") + site.messages.errors.first()));
            QVERIFY2(site.snapshot() == before, where.constData());
        }
    }
    QCOMPARE(cuts, 320);
    QCOMPARE(site.quotes.requested.size(), 0);

    // The whole file still loads, so the cuts above were what failed.
    QVERIFY(writeFile(path, profile));
    site.messages.errors.clear();
    site.dialog->OnGetProfile();
    QVERIFY(site.messages.errors.isEmpty());
    QVERIFY(site.snapshot() != before);
}

QTEST_MAIN(TestDialogFaultyDisk)
#include "tst_dialogfaultydisk.moc"
