#include "quotesitecontroller.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>

#include <utility>

QuoteSiteController::QuoteSiteController(QSettings &settings, QProcessEnvironment environment,
                                         QuoteSourcesTools tools, QuoteSourcesServiceFactory makeSourcesService,
                                         QString builtInHost)
    : m_settings(settings)
    , m_environment(std::move(environment))
    , m_tools(std::move(tools))
    , m_makeSourcesService(std::move(makeSourcesService))
    , m_builtInHost(std::move(builtInHost))
    , m_savedSite(QuoteSiteStore::read(settings))
    , m_savedSources(QuoteSourceStore::read(settings))
    , m_sources(resolveQuoteSources(m_environment, m_savedSources, m_savedSite.site, m_builtInHost))
    , m_quotes(m_makeSourcesService(m_sources, m_editedKeys))
{
}

QuoteSiteController::~QuoteSiteController() = default;

QString QuoteSiteController::takeStartupMessage()
{
    if (m_startupMessageTaken)
        return {};
    m_startupMessageTaken = true;
    QStringList messages;
    const QStringList problems = m_savedSite.problems + m_savedSources.problems;
    if (!problems.isEmpty()) {
        messages << problems.join(u'\n')
                 << QCoreApplication::translate(
                        "QuoteSiteController",
                        "Choose Quote Sources... (Ctrl+,) in the window's context menu to correct it.");
    }
    if (!m_sources.message.isEmpty())
        messages << m_sources.message;
    return messages.join(u'\n');
}

std::unique_ptr<QuoteSourcesDialog> QuoteSiteController::makeDialog(QWidget *parent)
{
    // With no list saved, the quote site carried over is the list to start from.
    const QList<QuoteSource> saved = m_savedSources.sources.isEmpty()
                                         ? QuoteSourceStore::carriedOver(m_savedSite.site)
                                         : m_savedSources.sources;
    const QuoteSourcesDialogSetup setup{saved, m_savedSources.problems, m_sources, m_tools.testBase};
    auto dialog = std::make_unique<QuoteSourcesDialog>(
        setup, m_tools.keys, m_tools.files, m_tools.certificates,
        [this](const QList<QuoteSource> &sources) { return save(sources); }, m_tools.forgetPrices, parent);
    QObject::connect(dialog.get(), &QDialog::accepted, dialog.get(), [this, shown = dialog.get()] {
        m_editedKeys.insert(shown->savedKeys());
        m_quotes = m_makeSourcesService(m_sources, m_editedKeys);
    });
    return dialog;
}

void QuoteSiteController::chooseQuoteSite(QWidget *parent)
{
    makeDialog(parent)->exec();
}

QString QuoteSiteController::save(const QList<QuoteSource> &sources)
{
    const QString error = QuoteSourceStore::write(m_settings, sources);
    if (!error.isEmpty())
        return error;
    // The dialog started from the quote site carried over, so the list saved
    // holds it when the user kept it; left behind, it would come back as the
    // only source once every source is removed.
    if (const QString siteError = QuoteSiteStore::write(m_settings, StoredQuoteSite{}); !siteError.isEmpty())
        return siteError;
    m_savedSite = StoredQuoteSiteRead{};
    // The dialog's editor has checked every source.
    m_savedSources = StoredQuoteSourcesRead{sources, {}};
    m_sources = resolveQuoteSources(m_environment, m_savedSources, m_savedSite.site, m_builtInHost);
    m_quotes = m_makeSourcesService(m_sources, m_editedKeys);
    return {};
}
