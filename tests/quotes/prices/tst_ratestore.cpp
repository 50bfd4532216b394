// The kept exchange rates: which table a source keeps, the file they are
// kept in, its limits, files that cannot be used, and kept rates found only
// after today's.

#include "exchangerates.h"
#include "ratestore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <memory>

namespace {

using Pairs = QHash<QString, double>;

QDate day(const char *iso)
{
    return QDate::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

KeptRateTable table(const QString &source, const QDate &date, const char *base, const Pairs &pairs)
{
    return {source, date, QString::fromLatin1(base), pairs};
}

void remember(RateStore &store, const KeptRateTable &kept)
{
    store.remember(kept.source, kept.date, kept.base, kept.pairs);
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

// XAA, XAB, ...: a currency code for each number up to 675.
QString code(int i)
{
    return QStringLiteral("X") + QChar(u'A' + i / 26) + QChar(u'A' + i % 26);
}

// A good member list, but for `member`, which has `value`.
QByteArray objectWith(QByteArrayList members, const QByteArray &member, const QByteArray &value)
{
    for (QByteArray &text : members) {
        if (text.startsWith("\"" + member + "\":"))
            text = "\"" + member + "\":" + value;
    }
    return "{" + members.join(',') + "}";
}

QByteArray pairWith(const QByteArray &member, const QByteArray &value)
{
    return objectWith({"\"from\":\"EUR\"", "\"to\":\"USD\"", "\"rate\":1.05"}, member, value);
}

QByteArray tableWith(const QByteArray &member, const QByteArray &value)
{
    return objectWith({"\"source\":\"Reference rates\"", "\"date\":\"2026-12-07\"", "\"base\":\"EUR\"",
                       "\"pairs\":[" + pairWith({}, {}) + "]"},
                      member, value);
}

QByteArray fileOf(const QByteArrayList &tables)
{
    return "{\"version\":1,\"tables\":[" + tables.join(',') + "]}";
}

// Tables of sources T0 to T<count-1>.
QByteArray fileOfTables(int count)
{
    QByteArrayList tables;
    for (int i = 0; i < count; ++i)
        tables << tableWith("source", "\"T" + QByteArray::number(i) + '"');
    return fileOf(tables);
}

// A table of `count` pairs from EUR to XAA, XAB, ...
QByteArray fileOfPairs(int count)
{
    QByteArrayList pairs;
    for (int i = 0; i < count; ++i)
        pairs << pairWith("to", '"' + code(i).toLatin1() + '"');
    return fileOf({tableWith("pairs", '[' + pairs.join(',') + ']')});
}

Pairs pairsFromEuro(int count)
{
    Pairs pairs;
    for (int i = 0; i < count; ++i)
        pairs.insert(QStringLiteral("EUR ") + code(i), 1.0 + i);
    return pairs;
}

// Sources S00 to S<count-1>, of 1 to <count> December.
QList<KeptRateTable> sourcesByDay(int count)
{
    QList<KeptRateTable> tables;
    for (int i = 0; i < count; ++i) {
        tables << table(QStringLiteral("S%1").arg(i, 2, 10, QLatin1Char('0')), QDate(2026, 12, 1 + i), "",
                        {{"EUR USD", 2}});
    }
    return tables;
}

} // namespace

Q_DECLARE_METATYPE(RateFileProblem)
Q_DECLARE_METATYPE(RateTableProblem)

class TestRateStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void roundTripThroughAFreshStore();
    void keepsEachSourcesNewestTable_data();
    void keepsEachSourcesNewestTable();
    void keptRatesComeAfterTodays_data();
    void keptRatesComeAfterTodays();
    void loadsOnlyFilesAsWritten_data();
    void loadsOnlyFilesAsWritten();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestRateStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("rates.json"));
}

void TestRateStore::roundTripThroughAFreshStore()
{
    const QList<KeptRateTable> kept{
        table(QStringLiteral("Pairs"), day("2026-12-06"), "", {{"USD CHF", 0.8}, {"GBP USD", 1.27}}),
        table(QStringLiteral("Reference rates"), day("2026-12-07"), "EUR", {{"EUR USD", 1.0512}, {"EUR GBP", 0.86}}),
    };
    RateStore store;
    remember(store, kept.at(1));
    remember(store, kept.at(0));
    // Saving makes the folder it goes in.
    const QString path = m_dir->filePath(QStringLiteral("data/Fundtally/rates.json"));
    QCOMPARE(store.save(path).error, QString());
    QCOMPARE(fileBytes(path),
             QByteArray("{\"version\":1,\"tables\":["
                        "{\"base\":\"\",\"date\":\"2026-12-06\",\"pairs\":["
                        "{\"from\":\"GBP\",\"rate\":1.27,\"to\":\"USD\"},"
                        "{\"from\":\"USD\",\"rate\":0.8,\"to\":\"CHF\"}],\"source\":\"Pairs\"},"
                        "{\"base\":\"EUR\",\"date\":\"2026-12-07\",\"pairs\":["
                        "{\"from\":\"EUR\",\"rate\":0.86,\"to\":\"GBP\"},"
                        "{\"from\":\"EUR\",\"rate\":1.0512,\"to\":\"USD\"}],\"source\":\"Reference rates\"}]}\n"));

    RateStore next;
    const RateFileLoad load = next.load(path);
    QCOMPARE(load.outcome, RateFileLoad::Outcome::Loaded);
    QCOMPARE(next.tables(), kept);

    next.forget();
    QVERIFY(next.save(path).saved);
    QCOMPARE(fileBytes(path), QByteArray("{\"version\":1,\"tables\":[]}\n"));
}

void TestRateStore::keepsEachSourcesNewestTable_data()
{
    QTest::addColumn<QList<KeptRateTable>>("remembered");  // in this order
    QTest::addColumn<QList<KeptRateTable>>("kept");

    const QString a = QStringLiteral("A");
    const KeptRateTable seventh = table(a, day("2026-12-07"), "EUR", {{"EUR USD", 1.05}});
    const KeptRateTable eighth = table(a, day("2026-12-08"), "EUR", {{"EUR USD", 1.06}});
    const KeptRateTable sameDay = table(a, day("2026-12-07"), "", {{"GBP USD", 1.27}});
    const KeptRateTable other = table(QStringLiteral("B"), day("2026-12-07"), "", {{"GBP USD", 1.27}});
    QTest::newRow("newer day replaces") << QList{seventh, eighth} << QList{eighth};
    QTest::newRow("same day replaces") << QList{seventh, sameDay} << QList{sameDay};
    QTest::newRow("older day left out") << QList{eighth, seventh} << QList{eighth};
    QTest::newRow("sources apart, oldest first") << QList{eighth, other} << QList{other, eighth};

    const Pairs unusable{{"EUR usd", 1},     {"EURUSD", 1},
                         {"EUR  USD", 1},    {"EUR NOK USD", 1},
                         {"EUR EUR", 1},     {"EUR GBP", 0},
                         {"EUR CHF", -1},    {"EUR JPY", std::numeric_limits<double>::infinity()},
                         {"EUR SEK", std::numeric_limits<double>::quiet_NaN()}};
    Pairs mixed = unusable;
    mixed.insert(QStringLiteral("EUR USD"), 1.05);
    QTest::newRow("unusable pairs left out") << QList{table(a, day("2026-12-07"), "EUR", mixed)} << QList{seventh};
    QTest::newRow("no usable pair") << QList{seventh, table(a, day("2026-12-08"), "EUR", unusable)}
                                    << QList{seventh};
    const QList<KeptRateTable> none;
    QTest::newRow("no source") << QList{table({}, day("2026-12-07"), "EUR", {{"EUR USD", 1.05}})} << none;
    QTest::newRow("a year past 9999") << QList{table(a, QDate(10000, 1, 1), "EUR", {{"EUR USD", 1.05}})} << none;
    QTest::newRow("base not a code") << QList{table(a, day("2026-12-07"), "eur", {{"EUR USD", 1.05}})} << none;

    const KeptRateTable full = table(a, day("2026-12-07"), "EUR", pairsFromEuro(400));
    QTest::newRow("400 pairs") << QList{full} << QList{full};
    QTest::newRow("401 pairs") << QList{table(a, day("2026-12-07"), "EUR", pairsFromEuro(401))} << none;
    QTest::newRow("20 sources") << sourcesByDay(20) << sourcesByDay(20);
    QTest::newRow("21 sources, the oldest goes") << sourcesByDay(21) << sourcesByDay(21).mid(1);
}

void TestRateStore::keepsEachSourcesNewestTable()
{
    QFETCH(QList<KeptRateTable>, remembered);
    QFETCH(QList<KeptRateTable>, kept);

    RateStore store;
    for (const KeptRateTable &each : std::as_const(remembered))
        remember(store, each);
    QCOMPARE(store.tables(), kept);
}

void TestRateStore::keptRatesComeAfterTodays_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("kept");

    QTest::newRow("today's first") << "USD" << "EUR" << 0.9 << "Pairs" << day("2026-12-08") << false;
    // Crossed through the euro: 1.25 USD and 0.8 GBP a euro.
    QTest::newRow("kept where today has none") << "GBP" << "USD" << 1.5625 << "Reference rates"
                                               << day("2026-12-07") << true;
    QTest::newRow("newer kept first") << "CHF" << "EUR" << 1.05 << "Pairs" << day("2026-12-06") << true;
    QTest::newRow("oldest kept last") << "SEK" << "EUR" << 0.1 << "Old" << day("2026-12-01") << true;
    QTest::newRow("same day, by source") << "NOK" << "EUR" << 0.2 << "Aged" << day("2026-12-01") << true;
}

void TestRateStore::keptRatesComeAfterTodays()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(double, rate);
    QFETCH(QString, source);
    QFETCH(QDate, date);
    QFETCH(bool, kept);

    ExchangeRates rates;
    rates.addTable(QStringLiteral("Pairs"), day("2026-12-08"));
    rates.addPair(QStringLiteral("USD"), QStringLiteral("EUR"), 0.9);
    RateStore store;
    store.remember(QStringLiteral("Old"), day("2026-12-01"), {}, {{"CHF EUR", 2}, {"SEK EUR", 0.1}, {"NOK EUR", 0.3}});
    store.remember(QStringLiteral("Reference rates"), day("2026-12-07"), QStringLiteral("EUR"),
                   {{"EUR USD", 1.25}, {"EUR GBP", 0.8}});
    store.remember(QStringLiteral("Aged"), day("2026-12-01"), {}, {{"NOK EUR", 0.2}});
    store.remember(QStringLiteral("Pairs"), day("2026-12-06"), {}, {{"USD EUR", 0.95}, {"CHF EUR", 1.05}});
    store.addKeptTo(rates);

    QCOMPARE(rates.rate(from, to), (ExchangeRate{rate, source, date, kept}));
}

void TestRateStore::loadsOnlyFilesAsWritten_data()
{
    QTest::addColumn<QByteArray>("bytes");  // null: no file
    QTest::addColumn<int>("count");         // tables loaded
    QTest::addColumn<RateFileProblem>("problem");
    QTest::addColumn<RateTableProblem>("tableProblem");
    QTest::addColumn<QString>("reason");    // as the message gives it

    const auto fine = RateFileProblem::None;
    const auto none = RateTableProblem::None;
    const QByteArray one = fileOfTables(1);
    QTest::newRow("no file") << QByteArray() << 0 << fine << none << QString();
    QTest::newRow("1 MiB and a byte") << one + QByteArray(1048577 - one.size(), ' ') << 0
                                      << RateFileProblem::TooLarge << none << "the file is larger than 1024 KiB";
    QTest::newRow("20 tables") << fileOfTables(20) << 20 << fine << none << QString();
    QTest::newRow("21 tables") << fileOfTables(21) << 0 << RateFileProblem::TooManyTables << none
                               << "it holds more than 20 tables of rates";
    QTest::newRow("400 pairs") << fileOfPairs(400) << 1 << fine << none << QString();
    QTest::newRow("401 pairs") << fileOfPairs(401) << 0 << RateFileProblem::BadTable
                               << RateTableProblem::TooManyPairs << "table 1 holds more than 400 pairs";
    QTest::newRow("version 2") << QByteArray("{\"version\":2,\"tables\":[]}") << 0 << RateFileProblem::WrongShape
                               << none << "it is not a list of tables of rates of version 1";

    const auto bad = RateFileProblem::BadTable;
    const QByteArray good = tableWith({}, {});
    const auto withTable = [](const QByteArray &member, const QByteArray &value) {
        return fileOf({tableWith(member, value)});
    };
    // The second pair of a table, the first being good.
    const auto withPair = [](const QByteArray &member, const QByteArray &value) {
        return fileOf({tableWith("pairs", "[" + pairWith({}, {}) + "," + pairWith(member, value) + "]")});
    };
    QTest::newRow("table a number") << fileOf({good, "5"}) << 0 << bad << RateTableProblem::NotObject
                                    << "table 2 is not an object";
    QTest::newRow("source empty") << withTable("source", "\"\"") << 0 << bad << RateTableProblem::Source
                                  << "table 1 has no source";
    QTest::newRow("day with a time") << withTable("date", "\"2026-12-07T00:00:00Z\"") << 0 << bad
                                     << RateTableProblem::Date << "table 1 has no date as yyyy-MM-dd";
    QTest::newRow("base lower case") << withTable("base", "\"eur\"") << 0 << bad << RateTableProblem::Base
                                     << "table 1 has no base that is empty or a currency code";
    QTest::newRow("pairs an object") << withTable("pairs", "{}") << 0 << bad << RateTableProblem::Pairs
                                     << "table 1 has no list of pairs";
    QTest::newRow("source twice") << fileOf({good, good}) << 0 << bad << RateTableProblem::RepeatedSource
                                  << "table 2 repeats a source listed before it";
    QTest::newRow("pair a list") << withTable("pairs", "[[]]") << 0 << bad << RateTableProblem::PairNotObject
                                 << "pair 1 of table 1 is not an object";
    QTest::newRow("from lower case") << withPair("from", "\"eur\"") << 0 << bad << RateTableProblem::From
                                     << "pair 2 of table 1 has no currency code to convert from";
    QTest::newRow("to the same") << withPair("to", "\"EUR\"") << 0 << bad << RateTableProblem::To
                                 << "pair 2 of table 1 has no other currency code to convert to";
    QTest::newRow("rate zero") << withPair("rate", "0") << 0 << bad << RateTableProblem::Rate
                               << "pair 2 of table 1 has no rate that is a positive number";
    QTest::newRow("pair twice") << withPair({}, {}) << 0 << bad << RateTableProblem::RepeatedPair
                                << "pair 2 of table 1 repeats a pair listed before it";
}

void TestRateStore::loadsOnlyFilesAsWritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    QFETCH(RateFileProblem, problem);
    QFETCH(RateTableProblem, tableProblem);
    QFETCH(QString, reason);

    if (!bytes.isNull())
        writeFile(m_path, bytes);
    writeFile(m_path + QStringLiteral(".bad"), "an earlier bad file");
    RateStore store;
    store.remember(QStringLiteral("Earlier"), day("2026-12-01"), {}, {{"EUR USD", 1.05}});
    const RateFileLoad load = store.load(m_path);
    QCOMPARE(load.problem, problem);
    QCOMPARE(load.tableProblem, tableProblem);
    QCOMPARE(store.size(), count);
    if (problem == RateFileProblem::None) {
        QCOMPARE(load.outcome, bytes.isNull() ? RateFileLoad::Outcome::Missing : RateFileLoad::Outcome::Loaded);
        QCOMPARE(load.message(), QString());
        return;
    }
    QCOMPARE(load.outcome, RateFileLoad::Outcome::SetAside);
    QCOMPARE(load.message(), QStringLiteral("The kept exchange rates in \"%1\" could not be used: %2. The file was "
                                            "set aside as \"%1.bad\".")
                                 .arg(m_path, reason));
    QVERIFY(!QFile::exists(m_path));
    QCOMPARE(fileBytes(m_path + QStringLiteral(".bad")), bytes);
}

int main(int argc, char **argv)
{
    // As the program names itself, which names its data folder.
    QCoreApplication::setApplicationName(QStringLiteral("Fundtally"));
    QCoreApplication app(argc, argv);
    TestRateStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ratestore.moc"
