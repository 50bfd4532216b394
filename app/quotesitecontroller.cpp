#include "quotesitecontroller.h"

#include "quotesitedialog.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>

#include <utility>

QuoteSiteController::QuoteSiteController(QSettings &settings, QProcessEnvironment environment,
                                         CertificateFileChooser &certificates,
                                         QuoteServiceFactory makeService,
                                         QuoteSourcesServiceFactory makeSourcesService, QString builtInHost)
    : m_settings(settings)
    , m_environment(std::move(environment))
    , m_certificates(certificates)
    , m_makeService(std::move(makeService))
    , m_makeSourcesService(std::move(makeSourcesService))
    , m_builtInHost(std::move(builtInHost))
    , m_saved(QuoteSiteStore::read(settings))
    , m_savedSources(QuoteSourceStore::read(settings))
    , m_resolution(resolveQuoteSite(m_environment, m_saved.site, m_builtInHost))
    , m_sources(resolveQuoteSources(m_environment, m_savedSources, m_saved.site, m_builtInHost))
    , m_quotes(m_makeSourcesService(m_sources))
{
}

QuoteSiteController::~QuoteSiteController() = default;

QString QuoteSiteController::takeStartupMessage()
{
    if (m_startupMessageTaken)
        return {};
    m_startupMessageTaken = true;
    QStringList messages;
    if (!m_saved.problems.isEmpty()) {
        messages << m_saved.problems.join(u'\n')
                 << QCoreApplication::translate(
                        "QuoteSiteController",
                        "Choose Quote Site... (Ctrl+,) in the window's context menu to correct it.");
    }
    if (!m_sources.message.isEmpty())
        messages << m_sources.message;
    return messages.join(u'\n');
}

std::unique_ptr<QuoteSiteDialog> QuoteSiteController::makeDialog(QWidget *parent)
{
    QuoteSiteDialogSetup setup{m_saved.texts, m_saved.problems, m_environment, m_builtInHost};
    return std::make_unique<QuoteSiteDialog>(
        setup, m_certificates, m_makeService,
        [this](const StoredQuoteSite &site) { return save(site); }, parent);
}

void QuoteSiteController::chooseQuoteSite(QWidget *parent)
{
    makeDialog(parent)->exec();
}

QString QuoteSiteController::save(const StoredQuoteSite &site)
{
    const QString error = QuoteSiteStore::write(m_settings, site);
    if (!error.isEmpty())
        return error;
    // The dialog has checked both values.
    m_saved = StoredQuoteSiteRead{site, site, {}};
    m_resolution = resolveQuoteSite(m_environment, site, m_builtInHost);
    m_sources = resolveQuoteSources(m_environment, m_savedSources, site, m_builtInHost);
    m_quotes = m_makeSourcesService(m_sources);
    return {};
}
