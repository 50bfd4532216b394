#include "keybook.h"

#include <QTest>

#include <functional>

using BookChange = std::function<void(KeyBook &)>;
Q_DECLARE_METATYPE(BookChange)

namespace {

// The writes as "name=key", in order.
QStringList texts(const QList<KeyWrite> &writes)
{
    QStringList made;
    for (const KeyWrite &write : writes)
        made << write.name + u'=' + write.key;
    return made;
}

// Two saved sources, "Keyed" with its key in the keyring and "Plain" with none.
KeyBook savedBook()
{
    KeyBook book({"Keyed", "Plain"});
    book.keyRead("Keyed", {"k3y", KeyPlace::Keyring, {}});
    book.keyRead("Plain", {});
    return book;
}

} // namespace

class TestKeyBook : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesWhatSavingKeeps_data();
    void writesWhatSavingKeeps();
    void keepsWhatWasWritten();
};

void TestKeyBook::writesWhatSavingKeeps_data()
{
    QTest::addColumn<BookChange>("change");
    QTest::addColumn<QStringList>("writes");

    QTest::newRow("nothing changed") << BookChange([](KeyBook &) {}) << QStringList();
    QTest::newRow("key typed") << BookChange([](KeyBook &b) { b.edit(0, "Keyed", "n3w"); }) << QStringList{"Keyed=n3w"};
    QTest::newRow("key emptied") << BookChange([](KeyBook &b) { b.edit(0, "Keyed", ""); }) << QStringList{"Keyed="};
    QTest::newRow("renamed") << BookChange([](KeyBook &b) { b.edit(0, "Other", "k3y"); })
                             << QStringList{"Keyed=", "Other=k3y"};
    QTest::newRow("renamed by letter case") << BookChange([](KeyBook &b) { b.edit(0, "KEYED", "k3y"); })
                                            << QStringList{"Keyed=", "KEYED=k3y"};
    QTest::newRow("renamed and back") << BookChange([](KeyBook &b) {
        b.edit(0, "Other", "k3y");
        b.edit(0, "Keyed", "k3y");
    }) << QStringList();
    QTest::newRow("removed") << BookChange([](KeyBook &b) { b.remove(0); }) << QStringList{"Keyed="};
    QTest::newRow("added with a key") << BookChange([](KeyBook &b) { b.add("Fresh", "n3w"); })
                                      << QStringList{"Fresh=n3w"};
    QTest::newRow("added without") << BookChange([](KeyBook &b) { b.add("Fresh", ""); }) << QStringList();
    QTest::newRow("imported, the same names") << BookChange([](KeyBook &b) { b.import({"Plain", "Keyed"}); })
                                              << QStringList();
    QTest::newRow("imported, renamed by letter case") << BookChange([](KeyBook &b) { b.import({"keyed"}); })
                                                      << QStringList{"Plain=", "Keyed=", "keyed=k3y"};
    QTest::newRow("imported, other names") << BookChange([](KeyBook &b) { b.import({"Fresh"}); })
                                           << QStringList{"Keyed=", "Plain="};
    QTest::newRow("key read after a rename") << BookChange([](KeyBook &b) {
        b.import({"KEYED", "Plain"});
        b.keyRead("Keyed", {"l8r", KeyPlace::File, {}});
    }) << QStringList{"Keyed=", "KEYED=l8r"};
    QTest::newRow("key typed before it was read") << BookChange([](KeyBook &b) {
        b.edit(0, "Keyed", "typ3d");
        b.keyRead("Keyed", {"k3y", KeyPlace::Keyring, {}});
    }) << QStringList{"Keyed=typ3d"};
}

void TestKeyBook::writesWhatSavingKeeps()
{
    QFETCH(BookChange, change);
    KeyBook book = savedBook();
    change(book);
    QTEST(texts(book.takeWrites()), "writes");
}

// Saving again writes only what failed; the keys saved are by source name.
void TestKeyBook::keepsWhatWasWritten()
{
    KeyBook book = savedBook();
    book.import({"KEYED"});
    book.add("Fresh", "n3w");
    QCOMPARE(texts(book.takeWrites()), (QStringList{"Plain=", "Keyed=", "KEYED=k3y", "Fresh=n3w"}));
    QCOMPARE(book.savedKeys(), (QHash<QString, QString>{{"Plain", ""}, {"Keyed", ""}, {"KEYED", "k3y"}, {"Fresh", "n3w"}}));

    book.written("KEYED", {"k3y", KeyPlace::Keyring, {}});
    book.written("Fresh", {"", KeyPlace::None, "the keyring is locked"});
    QCOMPARE(book.keptAs(0), QStringLiteral("KEYED"));
    QVERIFY(!book.toWrite(0));
    QVERIFY(book.toWrite(1));
    QCOMPARE(texts(book.takeWrites()), QStringList{"Fresh=n3w"});
}

QTEST_GUILESS_MAIN(TestKeyBook)
#include "tst_keybook.moc"
