#include "quotesitestore.h"
#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The saved quote site, as kept in the user's settings.
class TestQuoteSiteStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void keepsOnlyWhatWasChosen();
    void emptyValuesAreRemoved();
    void ignoresGarbage_data();
    void ignoresGarbage();
    void ignoresUnreadableSettings();
    void reportsFailedSave();
    void leavesTooLargeFileAlone();

private:
    QString writeFile(const QString &name, const QByteArray &contents) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

QByteArray authorityPem()
{
    QFile file(QStringLiteral(FUNDTALLY_TEST_AUTHORITY));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", FUNDTALLY_TEST_AUTHORITY);
    return file.readAll();
}

} // namespace

void TestQuoteSiteStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestQuoteSiteStore::writeFile(const QString &name, const QByteArray &contents) const
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestQuoteSiteStore::keepsOnlyWhatWasChosen()
{
    const QString certificate = writeFile(QStringLiteral("ca.pem"), authorityPem());
    const QString path = m_dir->filePath(QStringLiteral("Fundtally.conf"));
    const StoredQuoteSite chosen{QStringLiteral("[::1]:8443"), certificate};
    {
        QSettings settings(path, QSettings::IniFormat);
        QCOMPARE(QuoteSiteStore::write(settings, chosen), QString());
    }
    const QSettings settings(path, QSettings::IniFormat);
    QCOMPARE(settings.allKeys(), QStringList({QStringLiteral("QuoteSite/CertificateFile"),
                                              QStringLiteral("QuoteSite/Host")}));
    const StoredQuoteSiteRead read = QuoteSiteStore::read(settings);
    QCOMPARE(read.problems, QStringList());
    QVERIFY(read.site == chosen);
    QVERIFY(read.texts == chosen);
}

void TestQuoteSiteStore::emptyValuesAreRemoved()
{
    const QString path = m_dir->filePath(QStringLiteral("Fundtally.conf"));
    QSettings settings(path, QSettings::IniFormat);
    QCOMPARE(QuoteSiteStore::write(settings, {QStringLiteral("quotes.example.com"), QString()}), QString());
    QCOMPARE(settings.allKeys(), QStringList(QStringLiteral("QuoteSite/Host")));
    QCOMPARE(QuoteSiteStore::write(settings, {}), QString());
    QCOMPARE(QSettings(path, QSettings::IniFormat).allKeys(), QStringList());
}

void TestQuoteSiteStore::ignoresGarbage_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("host");      // the host kept for use
    QTest::addColumn<QString>("hostText");  // the host text found
    QTest::addColumn<QStringList>("problems"); // parts of the messages, in order

    QTest::newRow("nothing saved") << QByteArray() << "" << "" << QStringList();
    QTest::newRow("a list") << QByteArray("[QuoteSite]\nHost=a.example, b.example\n") << "" << ""
                            << QStringList{"host is not a text"};
    QTest::newRow("bytes") << QByteArray("[QuoteSite]\nHost=@ByteArray(quotes.example.com)\n") << ""
                           << "" << QStringList{"host is not a text"};
    QTest::newRow("a variant of no known type")
        << QByteArray("[QuoteSite]\nHost=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x4QFoo)\n") << "" << ""
        << QStringList{"host is not a text"};
    QTest::newRow("an address") << QByteArray("[QuoteSite]\nHost=https://quotes.example.com/\n") << ""
                                << "https://quotes.example.com/"
                                << QStringList{"host is ignored: Give only the host"};
    QTest::newRow("endless host") << QByteArray("[QuoteSite]\nHost=" + QByteArray(1 << 20, 'a') + "\n")
                                  << "" << QString(1 << 20, u'a')
                                  << QStringList{"host is ignored: The host name is longer than 253"};
    QTest::newRow("missing certificate file")
        << QByteArray("[QuoteSite]\nHost=quotes.example.com\nCertificateFile=/nonexistent/ca.pem\n")
        << "quotes.example.com" << "quotes.example.com"
        << QStringList{"certificate file is ignored: The certificate file \"/nonexistent/ca.pem\" does not exist"};
    QTest::newRow("both wrong")
        << QByteArray("[QuoteSite]\nHost=a b\nCertificateFile=1, 2\n") << "" << "a b"
        << QStringList{"host is ignored: The host must not contain spaces", "certificate file name is not a text"};
    QTest::newRow("damaged file") << QByteArray("[QuoteSite\nHost=quotes.example.com\n\x01\xff=\n") << ""
                                  << "" << QStringList{"is damaged; the saved quote site is ignored"};
}

void TestQuoteSiteStore::ignoresGarbage()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, host);
    QFETCH(QString, hostText);
    QFETCH(QStringList, problems);

    const QSettings settings(writeFile(QStringLiteral("Fundtally.conf"), contents), QSettings::IniFormat);
    const StoredQuoteSiteRead read = QuoteSiteStore::read(settings);
    QCOMPARE(read.site.host, host);
    QCOMPARE(read.site.certificateFile, QString());
    QCOMPARE(read.texts.host, hostText);
    QCOMPARE(read.problems.size(), problems.size());
    for (qsizetype i = 0; i < problems.size(); ++i) {
        QVERIFY2(read.problems[i].contains(problems[i]), qPrintable(read.problems[i]));
        // Messages quote outside text only in part.
        QVERIFY(read.problems[i].size() < 400);
    }
}

void TestQuoteSiteStore::ignoresUnreadableSettings()
{
    // A directory where the file should be cannot be read, even by root.
    const QString path = m_dir->filePath(QStringLiteral("Fundtally.conf"));
    QVERIFY(QDir().mkpath(path));
    const QSettings settings(path, QSettings::IniFormat);
    const StoredQuoteSiteRead read = QuoteSiteStore::read(settings);
    QCOMPARE(read.problems.size(), 1);
    QVERIFY2(read.problems.first().contains(QStringLiteral("cannot be read")), qPrintable(read.problems.first()));
}

void TestQuoteSiteStore::reportsFailedSave()
{
    const QString path = m_dir->filePath(QStringLiteral("Fundtally.conf"));
    QVERIFY(QDir().mkpath(path));
    QSettings settings(path, QSettings::IniFormat);
    const QString error = QuoteSiteStore::write(settings, {QStringLiteral("quotes.example.com"), QString()});
    QVERIFY2(error.contains(QStringLiteral("could not be saved")), qPrintable(error));
}

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

void TestQuoteSiteStore::leavesTooLargeFileAlone()
{
    const QByteArray contents = settingsOfSize(SettingsFile::kMaxBytes + 1);
    const QString path = writeFile(QStringLiteral("Fundtally.conf"), contents);
    {
        const auto settings = SettingsFile::open(path);
        const QString error = QuoteSiteStore::write(*settings, {QStringLiteral("other.example.com"), QString()});
        QVERIFY2(error.contains(QStringLiteral("cannot be saved in it; remove the file")), qPrintable(error));
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), contents);
}

QTEST_GUILESS_MAIN(TestQuoteSiteStore)
#include "tst_quotesitestore.moc"
