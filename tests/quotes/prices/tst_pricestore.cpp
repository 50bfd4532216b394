// The last known prices: what is kept, the file they are kept in, its
// limits, files that cannot be used and disks that fail.

#include "filesizelimit.h"
#include "pricestore.h"
#include "scratchtmpfs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <memory>

namespace {

QDateTime utc(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

QuoteResult quote(double price, const char *fetched, const char *currency = "", const char *source = "")
{
    QuoteResult result = QuoteResult::withPrice(price);
    result.fetched = utc(fetched);
    result.currency = QString::fromLatin1(currency);
    result.source = QString::fromLatin1(source);
    return result;
}

StoredPrice stored(const char *symbol, double price, const char *fetched, const char *currency = "",
                   const char *source = "")
{
    return {QString::fromUtf8(symbol), price, QString::fromLatin1(currency), QString::fromLatin1(source),
            utc(fetched)};
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

const QByteArray kHead = "{\"version\":1,\"prices\":[";

// A good entry, but for `member`, which has `value`.
QByteArray entryWith(const QByteArray &member, const QByteArray &value)
{
    QByteArrayList members{"\"symbol\":\"VTI\"", "\"price\":1", "\"currency\":\"\"", "\"source\":\"\"",
                           "\"fetched\":\"2026-12-07T14:02:00Z\""};
    for (QByteArray &text : members) {
        if (text.startsWith("\"" + member + "\":"))
            text = "\"" + member + "\":" + value;
    }
    return "{" + members.join(',') + "}";
}

// A file of `count` entries, S0 to S<count-1>.
QByteArray fileOfCount(int count)
{
    QByteArrayList entries;
    for (int i = 0; i < count; ++i)
        entries << entryWith("symbol", "\"S" + QByteArray::number(i) + '"');
    return kHead + entries.join(',') + "]}";
}

} // namespace

Q_DECLARE_METATYPE(PriceFileProblem)
Q_DECLARE_METATYPE(PriceEntryProblem)

class TestPriceStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void roundTrip();
    void keepsOnlyPricesWithTheirTime_data();
    void keepsOnlyPricesWithTheirTime();
    void matchesIgnoringCase();
    void dropsLeastRecentlyPricedPastCountLimit();
    void loadsUpToTheLimits_data();
    void loadsUpToTheLimits();
    void savesWithinSizeLimit_data();
    void savesWithinSizeLimit();
    void setsAsideHostileFiles_data();
    void setsAsideHostileFiles();
    void leavesFileWhenItCannotBeSetAside();
    void missingFileEmptiesStore();
    void forgetEmptiesStoreAndFile();
    void failedWriteKeepsPreviousFile_data();
    void failedWriteKeepsPreviousFile();
    void pathIsInUserDataFolder();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestPriceStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("prices.json"));
}

void TestPriceStore::roundTrip()
{
    PriceStore store;
    store.remember(QStringLiteral("VTI"), quote(123.45, "2026-12-07T14:02:00.750Z", "USD", "Prices A"));
    store.remember(QStringLiteral("brk.b"), quote(0.1, "2026-12-07T15:30:00+01:00"));
    store.remember(QStringLiteral("Fund \"Ü\""), quote(7, "2026-12-06T09:00:00Z", "EUR", ""));
    // Saving makes the folder it goes in.
    const QString path = m_dir->filePath(QStringLiteral("data/Fundtally/prices.json"));
    QCOMPARE(store.save(path).error, QString());
    QCOMPARE(fileBytes(path),
             QByteArray("{\"version\":1,\"prices\":["
                        "{\"currency\":\"EUR\",\"fetched\":\"2026-12-06T09:00:00Z\",\"price\":7,"
                        "\"source\":\"\",\"symbol\":\"Fund \\\"\xC3\x9C\\\"\"},"
                        "{\"currency\":\"USD\",\"fetched\":\"2026-12-07T14:02:00Z\",\"price\":123.45,"
                        "\"source\":\"Prices A\",\"symbol\":\"VTI\"},"
                        "{\"currency\":\"\",\"fetched\":\"2026-12-07T14:30:00Z\",\"price\":0.1,"
                        "\"source\":\"\",\"symbol\":\"brk.b\"}]}\n"));

    PriceStore loaded;
    const PriceFileLoad load = loaded.load(path);
    QCOMPARE(load.outcome, PriceFileLoad::Outcome::Loaded);
    QCOMPARE(load.message(), QString());
    const QList<StoredPrice> expected{
        stored("Fund \"\xC3\x9C\"", 7, "2026-12-06T09:00:00Z", "EUR"),
        stored("VTI", 123.45, "2026-12-07T14:02:00Z", "USD", "Prices A"),
        stored("brk.b", 0.1, "2026-12-07T14:30:00Z"),
    };
    QCOMPARE(loaded.prices(), expected);
    QCOMPARE(store.prices(), expected);
}

void TestPriceStore::keepsOnlyPricesWithTheirTime_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QuoteResult>("result");
    QTest::addColumn<bool>("kept");

    QuoteResult lastKnown = quote(5, "2026-12-07T14:02:00Z");
    lastKnown.failure = QuoteFailure::TimedOut;
    lastKnown.lastKnown = true;
    QTest::newRow("priced") << "VTI" << quote(5, "2026-12-07T14:02:00Z") << true;
    QTest::newRow("failed") << "VTI" << QuoteResult::failed(QuoteFailure::TimedOut) << false;
    QTest::newRow("last known") << "VTI" << lastKnown << false;
    QTest::newRow("no time") << "VTI" << QuoteResult::withPrice(5) << false;
    QTest::newRow("infinite") << "VTI" << quote(std::numeric_limits<double>::infinity(), "2026-12-07T14:02:00Z")
                              << false;
}

void TestPriceStore::keepsOnlyPricesWithTheirTime()
{
    QFETCH(QString, symbol);
    QFETCH(QuoteResult, result);
    QFETCH(bool, kept);

    PriceStore store;
    store.remember(symbol, result);
    QCOMPARE(store.size(), kept ? 1 : 0);
}

void TestPriceStore::matchesIgnoringCase()
{
    PriceStore store;
    store.remember(QStringLiteral("vti"), quote(1, "2026-12-07T14:02:00Z"));
    QCOMPARE(store.find(QStringLiteral("VTI")), stored("vti", 1, "2026-12-07T14:02:00Z"));
    QCOMPARE(store.find(QStringLiteral("VT")), std::nullopt);
    // The later price replaces the earlier one, with the symbol as typed then.
    store.remember(QStringLiteral("Vti"), quote(2, "2026-12-08T14:02:00Z"));
    QCOMPARE(store.prices(), QList<StoredPrice>{stored("Vti", 2, "2026-12-08T14:02:00Z")});
}

void TestPriceStore::dropsLeastRecentlyPricedPastCountLimit()
{
    PriceStore store;
    const QDateTime start = utc("2026-01-01T00:00:00Z");
    for (int i = 0; i < 10000; ++i) {
        QuoteResult result = QuoteResult::withPrice(1);
        result.fetched = start.addSecs(i);
        store.remember(QStringLiteral("S%1").arg(i), result);
    }
    QCOMPARE(store.size(), 10000);
    // Priced again, S0 is the most recent; S1 is now the least recent.
    store.remember(QStringLiteral("s0"), quote(2, "2026-06-01T00:00:00Z"));
    QCOMPARE(store.size(), 10000);
    store.remember(QStringLiteral("NEW"), quote(3, "2026-06-02T00:00:00Z"));
    QCOMPARE(store.size(), 10000);
    QCOMPARE(store.find(QStringLiteral("S1")), std::nullopt);
    QVERIFY(store.find(QStringLiteral("S0")));
    QVERIFY(store.find(QStringLiteral("S2")));
    QVERIFY(store.find(QStringLiteral("NEW")));
}

void TestPriceStore::loadsUpToTheLimits_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");                 // prices loaded
    QTest::addColumn<PriceFileProblem>("problem");

    const QByteArray one = fileOfCount(1);
    QTest::newRow("4 MiB") << one + QByteArray(4194304 - one.size(), ' ') << 1 << PriceFileProblem::None;
    QTest::newRow("4 MiB and a byte") << one + QByteArray(4194305 - one.size(), ' ') << 0
                                      << PriceFileProblem::TooLarge;
    QTest::newRow("10000 prices") << fileOfCount(10000) << 10000 << PriceFileProblem::None;
    QTest::newRow("10001 prices") << fileOfCount(10001) << 0 << PriceFileProblem::TooManyPrices;
}

void TestPriceStore::loadsUpToTheLimits()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    QFETCH(PriceFileProblem, problem);

    writeFile(m_path, bytes);
    PriceStore store;
    const PriceFileLoad load = store.load(m_path);
    QCOMPARE(load.problem, problem);
    QCOMPARE(store.size(), count);
}

void TestPriceStore::savesWithinSizeLimit_data()
{
    QTest::addColumn<int>("lastSourceLength");
    QTest::addColumn<qint64>("fileSize");
    QTest::addColumn<int>("count");     // prices saved

    // An entry is 88 bytes and its source, plus a comma between entries; the
    // file adds 26. 1025 entries with 4000-byte sources and one with a
    // 2965-byte source: 26 + 1025 * 4088 + 3053 + 1025 = 4194304. One byte
    // more leaves out the oldest entry, 4089 bytes with its comma.
    QTest::newRow("4 MiB") << 2965 << qint64(4194304) << 1026;
    QTest::newRow("4 MiB and a byte") << 2966 << qint64(4194305 - 4089) << 1025;
}

void TestPriceStore::savesWithinSizeLimit()
{
    QFETCH(int, lastSourceLength);
    QFETCH(qint64, fileSize);
    QFETCH(int, count);

    PriceStore store;
    for (int i = 0; i < 1026; ++i) {
        QuoteResult result = quote(1, "2026-12-07T14:02:00Z");
        result.source = QString(i == 1025 ? lastSourceLength : 4000, u'x');
        store.remember(QStringLiteral("S%1").arg(i, 5, 10, QLatin1Char('0')), result);
    }
    QVERIFY(store.save(m_path).saved);
    QCOMPARE(QFileInfo(m_path).size(), fileSize);
    PriceStore loaded;
    QCOMPARE(loaded.load(m_path).outcome, PriceFileLoad::Outcome::Loaded);
    QCOMPARE(loaded.size(), count);
    QCOMPARE(bool(loaded.find(QStringLiteral("S00000"))), count == 1026);
    QVERIFY(loaded.find(QStringLiteral("S01025")));
}

void TestPriceStore::setsAsideHostileFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PriceFileProblem>("problem");
    QTest::addColumn<int>("entry");
    QTest::addColumn<PriceEntryProblem>("entryProblem");
    QTest::addColumn<QString>("reason");    // as the message gives it

    const QByteArray good = entryWith({}, {});
    const auto entry = [](const QByteArray &member, const QByteArray &value) {
        return kHead + entryWith(member, value) + "]}";
    };
    const auto none = PriceEntryProblem::None;
    const auto notJson = PriceFileProblem::NotJson;
    // The parser's offsets: the head is 23 bytes, the good entry 85, and its
    // price begins at byte 47 of the file.
    QTest::newRow("empty") << QByteArray() << notJson << 0 << none << "it is not JSON (illegal value at byte 0)";
    QTest::newRow("cut short") << kHead + good << notJson << 0 << none
                               << "it is not JSON (unterminated array at byte 108)";
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << notJson << 0 << none
                            << "it is not JSON (illegal value at byte 1)";
    QTest::newRow("price past double") << entry("price", "1e999") << notJson << 0 << none
                                       << "it is not JSON (illegal number at byte 52)";
    const auto shape = PriceFileProblem::WrongShape;
    const QString notPrices = QStringLiteral("it is not a list of prices of version 1");
    QTest::newRow("list") << QByteArray("[]") << shape << 0 << none << notPrices;
    QTest::newRow("version 2") << QByteArray("{\"version\":2,\"prices\":[]}") << shape << 0 << none << notPrices;
    QTest::newRow("prices object") << QByteArray("{\"version\":1,\"prices\":{}}") << shape << 0 << none
                                   << notPrices;
    const auto bad = PriceFileProblem::BadEntry;
    QTest::newRow("entry a number") << kHead + good + ",5]}" << bad << 2 << PriceEntryProblem::NotObject
                                    << "entry 2 is not an object";
    const QString noSymbol = QStringLiteral("entry 1 has no symbol");
    QTest::newRow("symbol empty") << entry("symbol", "\"\"") << bad << 1 << PriceEntryProblem::Symbol << noSymbol;
    const QString noPrice = QStringLiteral("entry 1 has no price that is a number");
    QTest::newRow("price text") << entry("price", "\"1.5\"") << bad << 1 << PriceEntryProblem::Price << noPrice;
    QTest::newRow("currency null") << entry("currency", "null") << bad << 1 << PriceEntryProblem::Currency
                                   << "entry 1 has no currency text";
    QTest::newRow("source a list") << entry("source", "[]") << bad << 1 << PriceEntryProblem::Source
                                   << "entry 1 has no source text";
    const QString noTime = QStringLiteral("entry 1 has no ISO 8601 time with its zone");
    QTest::newRow("fetched without zone") << entry("fetched", "\"2026-12-07T14:02:00\"") << bad << 1
                                          << PriceEntryProblem::Fetched << noTime;
    QTest::newRow("symbol twice") << kHead + good + "," + entryWith("symbol", "\"vti\"") + "]}" << bad << 2
                                  << PriceEntryProblem::RepeatedSymbol << "entry 2 repeats a symbol listed before it";
}

void TestPriceStore::setsAsideHostileFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PriceFileProblem, problem);
    QFETCH(int, entry);
    QFETCH(PriceEntryProblem, entryProblem);
    QFETCH(QString, reason);

    writeFile(m_path, bytes);
    writeFile(m_path + QStringLiteral(".bad"), "an earlier bad file");
    PriceStore store;
    store.remember(QStringLiteral("OLD"), quote(1, "2026-12-07T14:02:00Z"));
    const PriceFileLoad load = store.load(m_path);
    QCOMPARE(load.outcome, PriceFileLoad::Outcome::SetAside);
    QCOMPARE(load.problem, problem);
    QCOMPARE(load.entry, entry);
    QCOMPARE(load.entryProblem, entryProblem);
    QCOMPARE(load.message(), QStringLiteral("The last known prices in \"%1\" could not be used: %2. The file was set "
                                            "aside as \"%1.bad\".")
                                 .arg(m_path, reason));
    QCOMPARE(store.size(), 0);
    QVERIFY(!QFile::exists(m_path));
    QCOMPARE(fileBytes(m_path + QStringLiteral(".bad")), bytes);
}

void TestPriceStore::leavesFileWhenItCannotBeSetAside()
{
    const QByteArray bytes = "{\"version\":1,\"prices\":[7]}";
    writeFile(m_path, bytes);
    // A folder with something in it cannot be replaced by the file.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("prices.json.bad/inside")));
    PriceStore store;
    const PriceFileLoad load = store.load(m_path);
    QCOMPARE(load.outcome, PriceFileLoad::Outcome::LeftInPlace);
    QCOMPARE(load.message(), QStringLiteral("The last known prices in \"%1\" could not be used: entry 1 is not an "
                                            "object. Setting the file aside failed (Destination file exists).")
                                 .arg(m_path));
    QCOMPARE(fileBytes(m_path), bytes);
}

void TestPriceStore::missingFileEmptiesStore()
{
    PriceStore store;
    store.remember(QStringLiteral("OLD"), quote(1, "2026-12-07T14:02:00Z"));
    const PriceFileLoad load = store.load(m_path);
    QCOMPARE(load.outcome, PriceFileLoad::Outcome::Missing);
    QCOMPARE(load.message(), QString());
    QCOMPARE(store.size(), 0);
}

void TestPriceStore::forgetEmptiesStoreAndFile()
{
    PriceStore store;
    store.remember(QStringLiteral("VTI"), quote(1, "2026-12-07T14:02:00Z"));
    QVERIFY(store.save(m_path).saved);
    store.forget();
    QCOMPARE(store.find(QStringLiteral("VTI")), std::nullopt);
    QVERIFY(store.save(m_path).saved);
    QCOMPARE(fileBytes(m_path), QByteArray("{\"version\":1,\"prices\":[]}\n"));
}

void TestPriceStore::failedWriteKeepsPreviousFile_data()
{
    QTest::addColumn<qint64>("leaveFree");  // bytes left on a 64 KiB tmpfs; -1: a file size limit instead
    QTest::addColumn<QString>("systemError");

    QTest::newRow("full file system") << qint64(0) << QStringLiteral("No space left on device");
    QTest::newRow("room for part of the file") << qint64(8192) << QStringLiteral("No space left on device");
    QTest::newRow("file size limit") << qint64(-1) << QStringLiteral("File too large");
}

void TestPriceStore::failedWriteKeepsPreviousFile()
{
    QFETCH(qint64, leaveFree);
    QFETCH(QString, systemError);

    // About 30 KB, more than the free room and the size limit below.
    PriceStore store;
    for (int i = 0; i < 300; ++i)
        store.remember(QStringLiteral("SYMBOL%1").arg(i), quote(i, "2026-12-07T14:02:00Z", "USD", "Prices A"));
    std::unique_ptr<ScratchTmpfs> tmpfs;
    QString folder = m_dir->path();
    if (leaveFree >= 0) {
        tmpfs = std::make_unique<ScratchTmpfs>(64 * 1024);
        if (!tmpfs->isMounted())
            QSKIP(qPrintable(tmpfs->error()));
        folder = tmpfs->path();
    }
    const QString path = QDir(folder).filePath(QStringLiteral("prices.json"));
    const QByteArray oldBytes = fileOfCount(3);
    writeFile(path, oldBytes);

    PriceFileSave save;
    if (leaveFree < 0) {
        const FileSizeLimit limit(10000);
        QVERIFY(limit.isActive());
        save = store.save(path);
    } else {
        const qint64 free = tmpfs->fill(QStringLiteral("filler"), leaveFree);
        QVERIFY2(free >= 0, "the filler file could not be written");
        save = store.save(path);
    }
    QVERIFY(!save.saved);
    QVERIFY2(save.error.startsWith(QStringLiteral("Could not save the last known prices in \"%1\": ").arg(path)),
             qPrintable(save.error));
    QVERIFY2(save.error.contains(systemError), qPrintable(save.error));
    QCOMPARE(fileBytes(path), oldBytes);
    const QStringList expected = leaveFree < 0 ? QStringList{QStringLiteral("prices.json")}
                                               : QStringList{QStringLiteral("filler"), QStringLiteral("prices.json")};
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), expected);
}

void TestPriceStore::pathIsInUserDataFolder()
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->path()));
    QCOMPARE(priceStorePath(), m_dir->path() + QStringLiteral("/Fundtally/prices.json"));
}

int main(int argc, char **argv)
{
    // As the program names itself, which names its data folder.
    QCoreApplication::setApplicationName(QStringLiteral("Fundtally"));
    QCoreApplication app(argc, argv);
    TestPriceStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pricestore.moc"
