#include "settingsfile.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The guard on the user's settings file: a file larger than the program
// writes is never read, nor written over.
class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void readsUpToTheSizeLimit_data();
    void readsUpToTheSizeLimit();
    void leavesTooLargeFileAlone();

private:
    QString writeFile(const QByteArray &contents) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

// A settings file of exactly `size` bytes holding a host, padded with a
// value the program does not read.
QByteArray settingsOfSize(qint64 size)
{
    QByteArray contents("[QuoteSite]\nHost=quotes.example.com\n[Other]\nPadding=");
    contents += QByteArray(size - contents.size() - 1, 'x') + '\n';
    return contents;
}

} // namespace

void TestSettingsFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestSettingsFile::writeFile(const QByteArray &contents) const
{
    const QString path = m_dir->filePath(QStringLiteral("Fundtally.conf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestSettingsFile::readsUpToTheSizeLimit_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("problem");

    QTest::newRow("at the limit") << SettingsFile::kMaxBytes << "quotes.example.com" << "";
    QTest::newRow("one byte past") << SettingsFile::kMaxBytes + 1 << ""
                                   << "is larger than 2048 KiB, so it is not read";
    QTest::newRow("far past") << qint64(64) * 1024 * 1024 << "" << "is larger than 2048 KiB";
}

void TestSettingsFile::readsUpToTheSizeLimit()
{
    QFETCH(qint64, size);
    QFETCH(QString, host);
    QFETCH(QString, problem);

    const QByteArray contents = settingsOfSize(size);
    QCOMPARE(contents.size(), size);
    const auto settings = SettingsFile::open(writeFile(contents));
    QCOMPARE(settings->value("QuoteSite/Host").toString(), host);
    if (problem.isEmpty()) {
        QCOMPARE(SettingsFile::problem(*settings), QString());
    } else {
        QVERIFY2(SettingsFile::problem(*settings).contains(problem), qPrintable(SettingsFile::problem(*settings)));
    }
}

void TestSettingsFile::leavesTooLargeFileAlone()
{
    const QByteArray contents = settingsOfSize(SettingsFile::kMaxBytes + 1);
    const QString path = writeFile(contents);
    {
        const auto settings = SettingsFile::open(path);
        settings->setValue("QuoteSite/Host", "other.example.com");
        settings->sync();
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), contents);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
