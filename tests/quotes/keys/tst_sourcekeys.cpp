// Where a source's key is taken from: the environment first, then the store.
#include "memorykeystore.h"
#include "sourcekeys.h"

#include <QTest>

class TestSourceKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void takesTheEnvironmentFirst_data();
    void takesTheEnvironmentFirst();
};

void TestSourceKeys::takesTheEnvironmentFirst_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("given");   // in the environment; empty: not set
    QTest::addColumn<QString>("expected");

    QTest::newRow("from the environment") << "Prices A" << "FUNDTALLY_KEY_PRICES_A" << "env-key" << "env-key";
    QTest::newRow("digits and dots are _") << "Alpha.2 x" << "FUNDTALLY_KEY_ALPHA___X" << "env-key" << "env-key";
    QTest::newRow("another source's variable") << "Prices A" << "FUNDTALLY_KEY_PRICES_B" << "env-key"
                                               << "stored-key";
    QTest::newRow("a key of 1024") << "Prices A" << "FUNDTALLY_KEY_PRICES_A" << QString(1024, u'k')
                                   << QString(1024, u'k');
    QTest::newRow("a key of 1025, not one") << "Prices A" << "FUNDTALLY_KEY_PRICES_A" << QString(1025, u'k')
                                            << "stored-key";
}

void TestSourceKeys::takesTheEnvironmentFirst()
{
    QFETCH(QString, source);
    QFETCH(QString, variable);
    QFETCH(QString, given);
    QFETCH(QString, expected);

    MemoryKeyStore store;
    store.keys.insert(source, QStringLiteral("stored-key"));
    QProcessEnvironment environment;
    environment.insert(variable, given);
    SourceKeys keys(store, environment);
    std::optional<QString> found;
    keys.withKey(source, this, [&found](const FoundKey &key) { found = key.key; });
    QTRY_VERIFY(found.has_value());
    QCOMPARE(*found, expected);
}

QTEST_GUILESS_MAIN(TestSourceKeys)
#include "tst_sourcekeys.moc"
