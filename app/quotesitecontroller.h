#pragma once

#include "quotesitechooser.h"
#include "quotesiteresolution.h"
#include "quotesitestore.h"
#include "quoteservicefactory.h"
#include "quotesourceresolution.h"
#include "quotesourcestore.h"

#include <QProcessEnvironment>

#include <functional>
#include <memory>

class CertificateFileChooser;
class QSettings;
class QuoteSiteDialog;
class QuoteService;

// Makes the service that prices through the quote sources in use.
using QuoteSourcesServiceFactory = std::function<std::shared_ptr<QuoteService>(const QuoteSourcesResolution &)>;

// The quote sources as the program uses them: read from the user's
// settings at start, resolved against the environment and the build. The
// quote site the user saved carries over as a page source while no list of
// sources is saved, and is changed through the quote site dialog. Each
// calculation prices through the service quotes() gives when it starts; a
// site the user saves gives a new one, while a calculation that is running
// keeps its own.
class QuoteSiteController final : public QuoteSiteChooser
{
public:
    // `makeService` gives the service for the dialog's tests of a site,
    // `makeSourcesService` the one for the sources in use.
    QuoteSiteController(QSettings &settings, QProcessEnvironment environment,
                        CertificateFileChooser &certificates, QuoteServiceFactory makeService,
                        QuoteSourcesServiceFactory makeSourcesService, QString builtInHost = builtInQuoteHost());
    ~QuoteSiteController() override;

    std::shared_ptr<QuoteService> quotes() const { return m_quotes; }
    const QuoteSiteResolution &resolution() const { return m_resolution; }
    const QuoteSourcesResolution &sources() const { return m_sources; }

    // Why saved values or the sources file were not used, with what to do about it: the first
    // time it is asked for, and empty ever after.
    QString takeStartupMessage();

    // The dialog, saving through this controller; chooseQuoteSite() runs it.
    std::unique_ptr<QuoteSiteDialog> makeDialog(QWidget *parent);
    void chooseQuoteSite(QWidget *parent) override;

private:
    QString save(const StoredQuoteSite &site);

    QSettings &m_settings;
    const QProcessEnvironment m_environment;
    CertificateFileChooser &m_certificates;
    const QuoteServiceFactory m_makeService;
    const QuoteSourcesServiceFactory m_makeSourcesService;
    const QString m_builtInHost;
    StoredQuoteSiteRead m_saved;
    const StoredQuoteSourcesRead m_savedSources;
    QuoteSiteResolution m_resolution;
    QuoteSourcesResolution m_sources;
    std::shared_ptr<QuoteService> m_quotes;
    bool m_startupMessageTaken = false;
};
