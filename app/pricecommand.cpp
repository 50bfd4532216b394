#include "pricecommand.h"

#include "desktopkeystore.h"
#include "quoteservice.h"
#include "quotesiteresolution.h"
#include "quotesitestore.h"
#include "quotesourceresolution.h"
#include "quotesourcestore.h"
#include "sourceaddress.h"
#include "usersettings.h"

#include <QEventLoop>
#include <QSettings>

#include <array>
#include <charconv>
#include <memory>
#include <vector>

QString shortestNumberText(double value)
{
    std::array<char, 32> text{};
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? QString::fromLatin1(text.data(), end - text.data()) : QString();
}

QString priceLine(const QString &symbol, const QuoteResult &result)
{
    if (result.priced())
        return symbol + u'\t' + shortestNumberText(result.price);
    return symbol + QStringLiteral("\t-\t") + result.reason();
}

int printPrices(QuoteService &service, const QStringList &symbols, std::FILE *out)
{
    QEventLoop loop;
    std::vector<std::unique_ptr<QuoteRequest>> requests;
    int waiting = int(symbols.size());
    for (const QString &symbol : symbols) {
        requests.push_back(service.FetchQuotePrice(symbol));
        QObject::connect(requests.back().get(), &QuoteRequest::finished, &loop, [&] {
            if (--waiting == 0)
                loop.quit();
        });
    }
    if (waiting > 0)
        loop.exec();

    int status = 0;
    for (const std::unique_ptr<QuoteRequest> &request : requests) {
        std::fputs((priceLine(request->symbol(), request->result()) + u'\n').toLocal8Bit().constData(), out);
        if (!request->result().priced())
            status = 1;
    }
    std::fflush(out);
    return status;
}

std::shared_ptr<QuoteService> terminalQuoteService(QSettings &settings)
{
    const StoredQuoteSiteRead saved = QuoteSiteStore::read(settings);
    const QuoteSourcesResolution sources =
        resolveQuoteSources(QProcessEnvironment::systemEnvironment(), QuoteSourceStore::read(settings),
                            saved.site, builtInQuoteHost());
    QStringList problems = saved.problems;
    if (!sources.message.isEmpty())
        problems << sources.message;
    for (const QString &problem : std::as_const(problems))
        std::fprintf(stderr, "fundtally: %s\n", problem.toLocal8Bit().constData());
    DesktopKeyStore keyStore(KeyFile(KeyFile::besideSettings(settings.fileName())));
    return sourcesQuoteService(sources, readKeysNow(keyStore, keyedSourceNames(sources.sources)));
}

int runPriceCommand(const QStringList &symbols)
{
    const std::unique_ptr<QSettings> settings = openUserSettings();
    return printPrices(*terminalQuoteService(*settings), symbols, stdout);
}
