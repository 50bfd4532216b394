#include "keyfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestKeyFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keepsKeysForUserAlone();
    void readsHostileFile_data();
    void readsHostileFile();
};

void TestKeyFile::keepsKeysForUserAlone()
{
    QTemporaryDir dir;
    const KeyFile file(KeyFile::besideSettings(dir.filePath(QStringLiteral("Fundtally/Fundtally.conf"))));
    QCOMPARE(file.path(), dir.filePath(QStringLiteral("Fundtally/keys.conf")));

    QCOMPARE(file.write(QStringLiteral("Prices A"), QStringLiteral("k=1%")), QString());
    QCOMPARE(QFile::permissions(file.path()),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
    QFile written(file.path());
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("Prices%20A=k%3D1%25\n"));

    QCOMPARE(file.write(QStringLiteral("B=é"), QStringLiteral("second")), QString());
    QString error;
    QCOMPARE(file.read(&error), (QHash<QString, QString>{{"Prices A", "k=1%"}, {"B=é", "second"}}));
    QCOMPARE(file.write(QStringLiteral("Prices A"), QString()), QString());
    QCOMPARE(file.read(&error), (QHash<QString, QString>{{"B=é", "second"}}));
    QCOMPARE(error, QString());
}

void TestKeyFile::readsHostileFile_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("keys");
    QTest::addColumn<bool>("refused");

    const QByteArray line = "A=abc\n";
    QTest::newRow("lines that are not keys") << QByteArray("garbage\n=nameless\nB=\nA=abc") << 1 << false;
    QTest::newRow("at the most, 64 KiB")
        << line + QByteArray(KeyFile::kMaxBytes - line.size() - 1, 'x') + '\n' << 1 << false;
    QTest::newRow("past the most") << line + QByteArray(KeyFile::kMaxBytes - line.size(), 'x') + '\n' << 0 << true;
}

void TestKeyFile::readsHostileFile()
{
    QFETCH(QByteArray, text);
    QFETCH(int, keys);
    QFETCH(bool, refused);

    QTemporaryDir dir;
    const KeyFile file(dir.filePath(QStringLiteral("keys.conf")));
    QFile raw(file.path());
    QVERIFY(raw.open(QIODevice::WriteOnly) && raw.write(text) == text.size());
    raw.close();
    QString error;
    const QHash<QString, QString> found = file.read(&error);
    QCOMPARE(found.size(), keys);
    QCOMPARE(found.value(QStringLiteral("A")), keys ? QStringLiteral("abc") : QString());
    QCOMPARE(!error.isEmpty(), refused);
    // A file that cannot be read is not written over either.
    QCOMPARE(file.write(QStringLiteral("C"), QStringLiteral("c")).isEmpty(), !refused);
}

QTEST_GUILESS_MAIN(TestKeyFile)
#include "tst_keyfile.moc"
