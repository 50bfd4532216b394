// The report currency: the locale's currency until the user saves one, a
// saved value that is no currency code ignored, a choice found by the next
// start, and the list the chooser offers and filters.

#include "reportcurrency.h"
#include "settingsfile.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestReportCurrency : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultIsTheLocalesCurrency_data();
    void defaultIsTheLocalesCurrency();
    void savedChoiceOutlivesTheProgram_data();
    void savedChoiceOutlivesTheProgram();
    void typedTextFilters_data();
    void typedTextFilters();

private:
    QTemporaryDir m_dir;
};

void TestReportCurrency::defaultIsTheLocalesCurrency_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("code");
    QTest::newRow("Germany") << QLocale(QLocale::German, QLocale::Germany) << "EUR";
    QTest::newRow("C") << QLocale::c() << "USD";
    QTest::newRow("World English, no currency") << QLocale(QLocale::English, QLocale::World) << "USD";
}

void TestReportCurrency::defaultIsTheLocalesCurrency()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, code);
    QCOMPARE(ReportCurrency::defaultCode(locale), code);
}

void TestReportCurrency::savedChoiceOutlivesTheProgram_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("code");
    // The locale's EUR stands wherever no code is saved.
    QTest::newRow("nothing saved") << QByteArray() << "EUR";
    QTest::newRow("a code") << QByteArray("ReportCurrency=GBP") << "GBP";
    QTest::newRow("lower case") << QByteArray("ReportCurrency=gbp") << "EUR";
    QTest::newRow("a list") << QByteArray("ReportCurrency=GBP, USD") << "EUR";
}

void TestReportCurrency::savedChoiceOutlivesTheProgram()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, code);
    const QLocale germany(QLocale::German, QLocale::Germany);
    const QString path = m_dir.filePath(QStringLiteral("%1.conf").arg(QTest::currentDataTag()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[Prices]\n" + line + '\n') > 0);
    file.close();
    {
        const std::unique_ptr<QSettings> settings = SettingsFile::open(path);
        QCOMPARE(ReportCurrency::savedCode(*settings, germany), code);
        QCOMPARE(ReportCurrency::save(*settings, QStringLiteral("JPY")), QString());
    }
    QCOMPARE(ReportCurrency::savedCode(*SettingsFile::open(path), germany), QStringLiteral("JPY"));
}

void TestReportCurrency::typedTextFilters_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("a common name") << "yen" << QStringList{"JPY"};
    QTest::newRow("a common code, any case, spaced") << " chf " << QStringList{"CHF"};
    QTest::newRow("common, and from the locales once") << "euro" << QStringList{"EUR"};
    QTest::newRow("only from the locales") << "isk" << QStringList{"ISK"};
    QTest::newRow("nothing matches") << "zzz" << QStringList{};
}

void TestReportCurrency::typedTextFilters()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, codes);
    const QList<CurrencyName> offered = ReportCurrency::offered(QString());
    QCOMPARE(offered.first(), (CurrencyName{"USD", "US Dollar"}));
    QCOMPARE(ReportCurrency::matching(offered, QString()), offered);
    QStringList found;
    for (const CurrencyName &currency : ReportCurrency::matching(offered, typed))
        found << currency.code;
    QCOMPARE(found, codes);
}

QTEST_GUILESS_MAIN(TestReportCurrency)
#include "tst_reportcurrency.moc"
