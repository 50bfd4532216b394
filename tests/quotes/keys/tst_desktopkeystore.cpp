#include "desktopkeystore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// A D-Bus session and a keyring on it, private to this test: the bus and
// gnome-keyring-daemon run as this process's children, in folders of
// their own, and end with it.
class PrivateKeyring
{
public:
    // Empty on success, else why not.
    QString start()
    {
        for (const char *dir : {"HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            const QString path = m_root.filePath(QString::fromLatin1(dir));
            if (!QDir().mkpath(path) || !QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
                return QStringLiteral("cannot make ") + path;
            qputenv(dir, path.toLocal8Bit());
        }
        m_bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
        if (!m_bus.waitForReadyRead(10000))
            return QStringLiteral("dbus-daemon did not start: ") + m_bus.errorString();
        const QByteArray address = m_bus.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        m_keyring.start(QStringLiteral("gnome-keyring-daemon"),
                        {"--foreground", "--unlock", "--components=secrets"});
        if (!m_keyring.waitForStarted(10000))
            return QStringLiteral("gnome-keyring-daemon did not start: ") + m_keyring.errorString();
        m_keyring.write("test password\n");
        m_keyring.closeWriteChannel();
        // Its control socket is there once it has started; it takes its
        // name on the bus moments later.
        const QString control = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")) + QStringLiteral("/keyring/control");
        if (!QTest::qWaitFor([&control] { return QFile::exists(control); }, 10000))
            return QStringLiteral("gnome-keyring-daemon did not start its keyring");
        return {};
    }

    ~PrivateKeyring()
    {
        for (QProcess *process : {&m_keyring, &m_bus}) {
            process->terminate();
            process->waitForFinished(5000);
        }
    }

private:
    QTemporaryDir m_root;
    QProcess m_bus;
    QProcess m_keyring;
};

QString missingProgram()
{
    for (const char *program : {"dbus-daemon", "gnome-keyring-daemon"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
            return QString::fromLatin1(program);
    }
    return {};
}

} // namespace

// Each test function needs a process of its own (CTest runs them so): a
// process makes its D-Bus session connection once.
class TestDesktopKeyStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyringHoldsKeys();
    void fileHoldsKeysWithoutKeyring();

private:
    bool m_busUsed = false;
};

void TestDesktopKeyStore::keyringHoldsKeys()
{
    if (const QString missing = missingProgram(); !missing.isEmpty())
        QSKIP(qPrintable(missing + QStringLiteral(" is not installed, so no keyring can be started")));
    m_busUsed = true;
    PrivateKeyring keyring;
    const QString problem = keyring.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    QTemporaryDir dir;
    const QString keyFile = dir.filePath(QStringLiteral("keys.conf"));
    DesktopKeyStore store{KeyFile(keyFile)};
    // Asked again until the keyring has its name on the bus.
    QTRY_COMPARE_WITH_TIMEOUT(writeKeyNow(store, QStringLiteral("Prices A"), QStringLiteral("s3cr3t")).place,
                              KeyPlace::Keyring, 10000);
    QCOMPARE(readKeysNow(store, {"Prices A", "Prices B"}), (QHash<QString, QString>{{"Prices A", "s3cr3t"}}));
    // One place holds a key: none is left in the file.
    QString error;
    QVERIFY(!KeyFile(keyFile).read(&error).contains(QStringLiteral("Prices A")));

    QCOMPARE(writeKeyNow(store, QStringLiteral("Prices A"), QString()).place, KeyPlace::None);
    bool reached = false;
    store.readKey(QStringLiteral("Prices A"), [&reached](const KeyAnswer &answer) {
        reached = answer.key.isEmpty() && answer.keyringReached;
    });
    QTRY_VERIFY_WITH_TIMEOUT(reached, 10000);
}

void TestDesktopKeyStore::fileHoldsKeysWithoutKeyring()
{
    if (m_busUsed)
        QSKIP("a D-Bus session was already used in this process; run this function on its own");
    QTemporaryDir dir;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir.filePath(QStringLiteral("no-bus")).toLocal8Bit());
    const QString keyFile = dir.filePath(QStringLiteral("Fundtally/keys.conf"));
    DesktopKeyStore store{KeyFile(keyFile)};

    const KeyAnswer written = writeKeyNow(store, QStringLiteral("Prices A"), QStringLiteral("s3cr3t"));
    QCOMPARE(written.error, QString());
    QCOMPARE(written.place, KeyPlace::File);
    QCOMPARE(QFile::permissions(keyFile),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
    KeyAnswer read;
    bool answered = false;
    store.readKey(QStringLiteral("Prices A"), [&](const KeyAnswer &answer) {
        read = answer;
        answered = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(answered, 30000);
    QCOMPARE(read.key, QStringLiteral("s3cr3t"));
    QCOMPARE(read.place, KeyPlace::File);
    QVERIFY(!read.keyringReached);
}

QTEST_GUILESS_MAIN(TestDesktopKeyStore)
#include "tst_desktopkeystore.moc"
