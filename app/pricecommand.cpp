#include "pricecommand.h"

#include "cashsymbol.h"
#include "programpricing.h"
#include "quoteservice.h"
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

void tellProblem(const QString &problem)
{
    if (!problem.isEmpty())
        std::fprintf(stderr, "fundtally: %s\n", problem.toLocal8Bit().constData());
}

QString priceLine(const QString &symbol, const QuoteResult &result)
{
    if (result.priced()) {
        const QString line = symbol + u'\t' + shortestNumberText(result.price);
        return result.currency.isEmpty() ? line : line + u'\t' + result.currency;
    }
    return symbol + QStringLiteral("\t-\t") + result.reason();
}

int printPrices(QuoteService &service, const QStringList &symbols, std::FILE *out)
{
    QEventLoop loop;
    std::vector<std::unique_ptr<QuoteRequest>> requests;
    int waiting = int(symbols.size());
    for (const QString &symbol : symbols) {
        requests.push_back(isCashSymbol(symbol)
                               ? std::make_unique<SettledQuoteRequest>(symbol, QuoteResult::withPrice(kCashPrice))
                               : service.FetchQuotePrice(symbol));
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

int runPriceCommand(const QStringList &symbols)
{
    const std::unique_ptr<QSettings> settings = openUserSettings();
    ProgramPricing pricing(*settings);
    tellProblem(pricing.prices().load());
    const PricingChain chain = pricing.chain();
    for (const QString &problem : chain.problems())
        tellProblem(problem);
    const int status = printPrices(*chain.service, symbols, stdout);
    tellProblem(pricing.prices().save());
    return status;
}
