#pragma once

#include "quotesitechooser.h"
#include "quotesitesettings.h"
#include "quotesiteresolution.h"
#include "quotesitestore.h"
#include "quotesourceresolution.h"
#include "quotesourcesdialog.h"
#include "quotesourcestore.h"

#include <QHash>
#include <QProcessEnvironment>

#include <functional>
#include <memory>

class CertificateFileChooser;
class KeyStore;
class QSettings;
class QuoteService;
class SourcesFileChooser;

// Makes the service that prices through the quote sources in use; `edited`
// holds the API keys changed in the dialog since the start, by source name
// (an empty key: removed), over those kept at the start.
using QuoteSourcesServiceFactory = std::function<std::shared_ptr<QuoteService>(
    const QuoteSourcesResolution &, const QHash<QString, QString> &edited)>;

// What the quote sources controller works with besides the settings; all
// must outlive it.
struct QuoteSourcesTools {
    CertificateFileChooser &certificates;
    SourcesFileChooser &files;
    KeyStore &keys;
    QuoteSourcesDialog::Forgetter forgetPrices;
    QuoteSiteSettings testBase;   // a Test's proxy, limits and trust
};

// The quote sources as the program uses them: read from the user's
// settings at start, resolved against the environment and the build, and
// changed through the quote sources dialog. Each calculation prices through
// the service quotes() gives when it starts; a list the user saves gives a
// new one, while a calculation that is running keeps its own.
class QuoteSiteController final : public QuoteSiteChooser
{
public:
    QuoteSiteController(QSettings &settings, QProcessEnvironment environment, QuoteSourcesTools tools,
                        QuoteSourcesServiceFactory makeSourcesService, QString builtInHost = builtInQuoteHost());
    ~QuoteSiteController() override;

    std::shared_ptr<QuoteService> quotes() const { return m_quotes; }
    const QuoteSourcesResolution &sources() const { return m_sources; }

    // Why saved values or the sources file were not used, with what to do about it: the first
    // time it is asked for, and empty ever after.
    QString takeStartupMessage();

    // The dialog, saving through this controller; chooseQuoteSite() runs it.
    std::unique_ptr<QuoteSourcesDialog> makeDialog(QWidget *parent);
    void chooseQuoteSite(QWidget *parent) override;

private:
    QString save(const QList<QuoteSource> &sources);

    QSettings &m_settings;
    const QProcessEnvironment m_environment;
    const QuoteSourcesTools m_tools;
    const QuoteSourcesServiceFactory m_makeSourcesService;
    const QString m_builtInHost;
    StoredQuoteSiteRead m_savedSite;
    StoredQuoteSourcesRead m_savedSources;
    QuoteSourcesResolution m_sources;
    QHash<QString, QString> m_editedKeys;
    std::shared_ptr<QuoteService> m_quotes;
    bool m_startupMessageTaken = false;
};
