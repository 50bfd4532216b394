#include "quoteservice.h"
#include "quotesourceresolution.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(QuoteSourcesOrigin)

namespace {

QuoteSource savedSource(const QString &name)
{
    QuoteSource source;
    source.name = name;
    source.url = QStringLiteral("https://saved.example/{SYMBOL}");
    source.format = SourceFormat::Json;
    source.price = QStringLiteral("/p");
    return source;
}

const QByteArray kGoodFile = "{\"sources\": [{\"name\": \"File A\", \"url\": \"https://f.example/{SYMBOL}\", "
                             "\"format\": \"json\", \"price\": \"/p\"}, {\"name\": \"File B\", "
                             "\"url\": \"https://g.example/{SYMBOL}\", \"format\": \"page\"}]}";
const QByteArray kBadFile = "{\"sources\": [{\"name\": \"File A\", \"url\": \"https://f.example/{SYMBOL}\", "
                            "\"format\": \"json\", \"price\": \"/p\"}, {\"name\": \"Bad One\", "
                            "\"url\": \"https://f.example/{SYMBOL}\", \"format\": \"json\", \"price\": \"/p\", "
                            "\"colour\": \"red\"}]}";

} // namespace

class TestQuoteSourceResolution : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsPrecedence_data();
    void followsPrecedence();
    void refusesBadSourcesFile();

private:
    QTemporaryDir m_dir;
    QString writeFile(const QString &name, const QByteArray &text)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
};

void TestQuoteSourceResolution::followsPrecedence_data()
{
    QTest::addColumn<QStringList>("variables");      // NAME=value
    QTest::addColumn<QStringList>("savedSources");   // names
    QTest::addColumn<StoredQuoteSite>("savedSite");
    QTest::addColumn<QString>("builtIn");
    QTest::addColumn<QuoteSourcesOrigin>("origin");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("firstUrl");
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QStringList>("directories");

    const QString file = writeFile(QStringLiteral("sources.json"), kGoodFile);
    const StoredQuoteSite site{QStringLiteral("site.example"), QStringLiteral("/saved/ca.pem")};
    const QStringList saved{"Saved 1", "Saved 2"};
    const QString page = QStringLiteral("https://%1/quote/{SYMBOL}/?p={SYMBOL}");
    const QStringList everything{"FUNDTALLY_QUOTE_SOURCES=" + file, "FUNDTALLY_QUOTE_HOST=env.example"};

    QTest::newRow("sources file over everything")
        << everything << saved << site << "built.example" << QuoteSourcesOrigin::SourcesFile
        << QStringList{"File A", "File B"} << "https://f.example/{SYMBOL}" << "" << QStringList();
    QTest::newRow("environment host over saved sources")
        << QStringList{"FUNDTALLY_QUOTE_HOST=env.example", "SSL_CERT_FILE=/env/ca.pem", "SSL_CERT_DIR=/d1:/d2"}
        << saved << site << "built.example" << QuoteSourcesOrigin::EnvironmentHost << QStringList{"Quote site"}
        << page.arg("env.example") << "/env/ca.pem" << QStringList{"/d1", "/d2"};
    QTest::newRow("environment host keeps the saved certificate")
        << QStringList{"FUNDTALLY_QUOTE_HOST=env.example"} << QStringList() << site << "" << QuoteSourcesOrigin::EnvironmentHost
        << QStringList{"Quote site"} << page.arg("env.example") << "/saved/ca.pem" << QStringList();
    QTest::newRow("saved sources over saved site")
        << QStringList{"SSL_CERT_FILE=/env/ca.pem"} << saved << site << "built.example" << QuoteSourcesOrigin::Saved
        << saved << "https://saved.example/{SYMBOL}" << "" << QStringList();
    QTest::newRow("saved site carried over")
        << QStringList() << QStringList() << site << "built.example" << QuoteSourcesOrigin::SavedSite
        << QStringList{"Quote site"} << page.arg("site.example") << "/saved/ca.pem" << QStringList();
    QTest::newRow("environment host in brackets, empty folders skipped")
        << QStringList{"FUNDTALLY_QUOTE_HOST=[::1]:8443", "SSL_CERT_DIR=/d1::/d2:"} << QStringList() << site << ""
        << QuoteSourcesOrigin::EnvironmentHost << QStringList{"Quote site"} << page.arg("[::1]:8443") << ""
        << QStringList{"/d1", "/d2"};
    QTest::newRow("built-in host last")
        << QStringList{"SSL_CERT_DIR=/d1"} << QStringList() << StoredQuoteSite{} << "built.example"
        << QuoteSourcesOrigin::BuiltIn << QStringList{"Quote site"} << page.arg("built.example") << ""
        << QStringList{"/d1"};
    QTest::newRow("empty variables count as unset")
        << QStringList{"FUNDTALLY_QUOTE_SOURCES=", "FUNDTALLY_QUOTE_HOST="} << saved << site << "" << QuoteSourcesOrigin::Saved
        << saved << "https://saved.example/{SYMBOL}" << "" << QStringList();
    QTest::newRow("nothing") << QStringList() << QStringList() << StoredQuoteSite{} << "" << QuoteSourcesOrigin::None
                             << QStringList() << "" << "" << QStringList();
}

void TestQuoteSourceResolution::followsPrecedence()
{
    QFETCH(QStringList, variables);
    QFETCH(QStringList, savedSources);
    QFETCH(StoredQuoteSite, savedSite);
    QFETCH(QString, builtIn);
    QFETCH(QuoteSourcesOrigin, origin);
    QFETCH(QStringList, names);
    QFETCH(QString, firstUrl);
    QFETCH(QString, certificate);
    QFETCH(QStringList, directories);

    QProcessEnvironment environment;
    for (const QString &variable : variables)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    StoredQuoteSourcesRead saved;
    for (const QString &name : savedSources)
        saved.sources << savedSource(name);

    const QuoteSourcesResolution resolution = resolveQuoteSources(environment, saved, savedSite, builtIn);
    QCOMPARE(resolution.origin, origin);
    QStringList found;
    for (const QuoteSource &source : resolution.sources)
        found << source.name;
    QCOMPARE(found, names);
    QCOMPARE(resolution.sources.value(0).url, firstUrl);
    QCOMPARE(resolution.sources.value(0).certificate, certificate);
    QCOMPARE(resolution.certificateDirectories, directories);
    QCOMPARE(resolution.message, QString());
    QCOMPARE(resolution.noSources, QuoteFailure::NoQuoteSource);
}

// One message names the file, the source and the member; no source of the
// file is used, nor any other, and every lookup says why.
void TestQuoteSourceResolution::refusesBadSourcesFile()
{
    const QString file = writeFile(QStringLiteral("bad.json"), kBadFile);
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("FUNDTALLY_QUOTE_SOURCES"), file);
    environment.insert(QStringLiteral("FUNDTALLY_QUOTE_HOST"), QStringLiteral("env.example"));
    StoredQuoteSourcesRead saved;
    saved.sources << savedSource(QStringLiteral("Saved 1"));

    const QuoteSourcesResolution resolution =
        resolveQuoteSources(environment, saved, StoredQuoteSite{QStringLiteral("site.example"), {}}, QStringLiteral("b.example"));
    QCOMPARE(resolution.origin, QuoteSourcesOrigin::SourcesFile);
    QCOMPARE(resolution.sources, QList<QuoteSource>());
    QVERIFY2(resolution.message.contains(file) && resolution.message.contains(QStringLiteral("Bad One"))
                 && resolution.message.contains(QStringLiteral("colour")) && !resolution.message.contains(u'\n'),
             qPrintable(resolution.message));

    QCOMPARE(resolution.noSources, QuoteFailure::SourcesRefused);
    QCOMPARE(QuoteResult::failed(resolution.noSources).reason(), QStringLiteral("quote sources file not usable"));
}

QTEST_GUILESS_MAIN(TestQuoteSourceResolution)
#include "tst_quotesourceresolution.moc"
