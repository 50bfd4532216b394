#pragma once

#include "pricingchain.h"
#include "quotesourceschooser.h"
#include "quotesourcesdialog.h"

#include <functional>
#include <memory>

class CertificateFileChooser;
class KeyStore;
class QSettings;
class QuoteService;
class SourceKeys;
class SourcesFileChooser;

// Builds the pricing chain anew from the settings (buildPricingChain).
using PricingChainBuilder = std::function<PricingChain()>;

// What the quote sources controller works with besides the settings; all
// must outlive it.
struct QuoteSourcesTools {
    CertificateFileChooser &certificates;
    SourcesFileChooser &files;
    KeyStore &keyStore;   // the dialog reads and writes keys here
    SourceKeys &keys;     // and the chain is told the keys it saved
    QuoteSourcesDialog::Forgetter forgetPrices;
    SourceTestTransfers testTransfers;
    QString keyFile;      // where the key store keeps keys the keyring does not take
};

// The quote sources as the program uses them: the chain built at start and
// changed through the quote sources dialog. Each calculation prices through
// the service quotes() gives when it starts; a list the user saves gives a
// new one, while a calculation that is running keeps its own.
class QuoteSourcesController final : public QuoteSourcesChooser
{
public:
    QuoteSourcesController(QSettings &settings, QuoteSourcesTools tools, PricingChainBuilder build);
    ~QuoteSourcesController() override;

    // The prices as the sources give them, and a calculation's prices in
    // `report` (see PricingChain::inReportCurrency).
    std::shared_ptr<QuoteService> quotes() const { return m_chain.service; }
    std::shared_ptr<QuoteService> quotesIn(const QString &report) const { return m_chain.inReportCurrency(report); }
    const QuoteSourcesResolution &sources() const { return m_chain.sources; }

    // Why saved values or the sources file were not used, with what to do
    // about it: the first time it is asked for, and empty ever after.
    QString takeStartupMessage();

    // The dialog, saving through this controller; chooseQuoteSources() runs it.
    std::unique_ptr<QuoteSourcesDialog> makeDialog(QWidget *parent);
    bool chooseQuoteSources(QWidget *parent) override;
    bool hasQuoteSource() const override { return !m_chain.sources.sources.isEmpty(); }

private:
    QString save(const QList<QuoteSource> &sources, const QList<RateSource> &rates);

    QSettings &m_settings;
    const QuoteSourcesTools m_tools;
    const PricingChainBuilder m_build;
    PricingChain m_chain;
    bool m_startupMessageTaken = false;
};
