// The kept prices and rates as the window and the commands use them: the
// saved choice of using the prices, a price and a rate kept by one memory
// found by the next, as after a restart, and a damaged file said once.

#include "fakequoteservice.h"
#include "pricememory.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QuoteResult priceOnce(QuoteService &service, const QString &symbol)
{
    const std::unique_ptr<QuoteRequest> request = service.FetchQuotePrice(symbol);
    QSignalSpy finished(request.get(), &QuoteRequest::finished);
    if (finished.isEmpty())
        finished.wait();
    return request->result();
}

} // namespace

class TestPriceMemory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theChoiceIsSaved_data();
    void theChoiceIsSaved();
    void aKeptPriceOutlivesTheProgram_data();
    void aKeptPriceOutlivesTheProgram();
    void aDamagedFileIsSaidOnce_data();
    void aDamagedFileIsSaidOnce();

private:
    QTemporaryDir m_dir;
};

void TestPriceMemory::theChoiceIsSaved_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("uses");
    QTest::newRow("never chosen") << QString() << true;
    QTest::newRow("turned off") << "false" << false;
    QTest::newRow("turned on") << "true" << true;
    // Only a plain "false" turns it off.
    QTest::newRow("hostile value") << "0; rm -rf" << true;
}

void TestPriceMemory::theChoiceIsSaved()
{
    QFETCH(QString, stored);
    QFETCH(bool, uses);
    const QString file = m_dir.filePath(QStringLiteral("%1.conf").arg(QTest::currentDataTag()));
    {
        QSettings settings(file, QSettings::IniFormat);
        if (!stored.isNull())
            settings.setValue(QLatin1String(PriceMemory::kUseLastKnownKey), stored);
    }
    QSettings settings(file, QSettings::IniFormat);
    PriceMemory memory(settings, m_dir.filePath(QStringLiteral("prices.json")));
    QCOMPARE(memory.usesLastKnown(), uses);

    memory.setUsesLastKnown(!uses);
    QSettings again(file, QSettings::IniFormat);
    QCOMPARE(PriceMemory(again, QString()).usesLastKnown(), !uses);
}

void TestPriceMemory::aKeptPriceOutlivesTheProgram_data()
{
    QTest::addColumn<bool>("useLastKnown");
    QTest::addColumn<bool>("forget");
    QTest::addColumn<bool>("valued");
    QTest::newRow("used") << true << false << true;
    QTest::newRow("turned off") << false << false << false;
    QTest::newRow("forgotten") << true << true << false;
}

void TestPriceMemory::aKeptPriceOutlivesTheProgram()
{
    QFETCH(bool, useLastKnown);
    QFETCH(bool, forget);
    QFETCH(bool, valued);
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("Fundtally.conf")), QSettings::IniFormat);
    const QString prices = dir.filePath(QStringLiteral("data/prices.json"));
    {
        PriceMemory first(settings, prices);
        QVERIFY(first.load().isEmpty());
        FakeQuoteService site;
        site.prices = {{"VTI", 281.4}};
        QVERIFY(priceOnce(*first.remembering(borrowedService(site)), QStringLiteral("VTI")).priced());
        first.rates().remember(QStringLiteral("Reference rates"), QDate(2026, 12, 7), QStringLiteral("EUR"),
                               {{QStringLiteral("EUR USD"), 1.05}});
        QCOMPARE(first.save(), QString());
        if (forget)
            QCOMPARE(first.forget(), QString());
    }

    PriceMemory next(settings, prices);
    next.setUsesLastKnown(useLastKnown);
    QVERIFY(next.load().isEmpty());
    FakeQuoteService down;   // prices nothing
    const QuoteResult result = priceOnce(*next.remembering(borrowedService(down)), QStringLiteral("vti"));
    QCOMPARE(result.failure, QuoteFailure::NoPriceOnPage);
    QCOMPARE(result.valued(), valued);
    QCOMPARE(result.price, valued ? 281.4 : 0.0);
    QCOMPARE(next.rates().size(), forget ? 0 : 1);
}

void TestPriceMemory::aDamagedFileIsSaidOnce_data()
{
    QTest::addColumn<QByteArray>("prices");
    QTest::addColumn<bool>("pricesSaid");

    QTest::newRow("rates damaged") << QByteArray("{\"version\":1,\"prices\":[]}") << false;
    QTest::newRow("both damaged") << QByteArray("[]") << true;
}

void TestPriceMemory::aDamagedFileIsSaidOnce()
{
    QFETCH(QByteArray, prices);
    QFETCH(bool, pricesSaid);
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("Fundtally.conf")), QSettings::IniFormat);
    const QString pricesFile = dir.filePath(QStringLiteral("prices.json"));
    const QString ratesFile = dir.filePath(QStringLiteral("rates.json"));
    writeFile(pricesFile, prices);
    writeFile(ratesFile, "[]");

    const QString pricesMessage = QStringLiteral("The last known prices in \"%1\" could not be used: it is not a list "
                                                 "of prices of version 1. The file was set aside as \"%1.bad\". ")
                                      .arg(pricesFile);
    const QString ratesMessage = QStringLiteral("The kept exchange rates in \"%1\" could not be used: it is not a "
                                                "list of tables of rates of version 1. The file was set aside as "
                                                "\"%1.bad\".")
                                     .arg(ratesFile);
    QCOMPARE(PriceMemory(settings, pricesFile).load(), (pricesSaid ? pricesMessage : QString()) + ratesMessage);
    QCOMPARE(PriceMemory(settings, pricesFile).load(), QString());
    QVERIFY(QFile::exists(ratesFile + QStringLiteral(".bad")));
}

QTEST_MAIN(TestPriceMemory)
#include "tst_pricememory.moc"
