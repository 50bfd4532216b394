#include "quotesourcescontroller.h"

#include "quotesitestore.h"
#include "quotesourcestore.h"
#include "readymadesources.h"
#include "sourcekeys.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>

#include <utility>

QuoteSourcesController::QuoteSourcesController(QSettings &settings, QuoteSourcesTools tools,
                                               PricingChainBuilder build)
    : m_settings(settings)
    , m_tools(std::move(tools))
    , m_build(std::move(build))
    , m_chain(m_build())
{
}

QuoteSourcesController::~QuoteSourcesController() = default;

QString QuoteSourcesController::takeStartupMessage()
{
    if (m_startupMessageTaken)
        return {};
    m_startupMessageTaken = true;
    QStringList messages;
    if (const QStringList saved = m_chain.savedSite.problems + m_chain.savedSources.problems; !saved.isEmpty()) {
        messages << saved.join(u'\n')
                 << QCoreApplication::translate(
                        "QuoteSourcesController",
                        "Choose Quote Sources... (Ctrl+,) in the window's context menu to correct it.");
    }
    if (!m_chain.sources.message.isEmpty())
        messages << m_chain.sources.message;
    return messages.join(u'\n');
}

std::unique_ptr<QuoteSourcesDialog> QuoteSourcesController::makeDialog(QWidget *parent)
{
    // With no list saved, the quote site carried over is the list to start from.
    const QList<QuoteSource> saved = m_chain.savedSources.sources.isEmpty()
                                         ? QuoteSourceStore::carriedOver(m_chain.savedSite.site)
                                         : m_chain.savedSources.sources;
    const QuoteSourcesDialogSetup setup{saved,
                                        m_chain.savedSources.problems,
                                        m_chain.sources,
                                        m_tools.testTransfers,
                                        m_chain.savedSources.rates,
                                        readyMadeChoices(ReadyMadeSources::read()),
                                        m_tools.keyFile};
    auto dialog = std::make_unique<QuoteSourcesDialog>(
        setup, m_tools.keyStore, m_tools.files, m_tools.certificates,
        [this](const QList<QuoteSource> &sources, const QList<RateSource> &rates) { return save(sources, rates); },
        m_tools.forgetPrices, parent);
    QObject::connect(dialog.get(), &QDialog::accepted, dialog.get(), [this, shown = dialog.get()] {
        const QHash<QString, QString> &keys = shown->savedKeys();
        for (auto it = keys.begin(); it != keys.end(); ++it)
            m_tools.keys.setKey(it.key(), it.value());
        m_chain = m_build();
    });
    return dialog;
}

bool QuoteSourcesController::chooseQuoteSources(QWidget *parent)
{
    const std::unique_ptr<QuoteSourcesDialog> dialog = makeDialog(parent);
    return dialog->exec() == QDialog::Accepted && !dialog->sources().isEmpty();
}

QString QuoteSourcesController::save(const QList<QuoteSource> &sources, const QList<RateSource> &rates)
{
    const QString error = QuoteSourceStore::write(m_settings, sources, rates);
    if (!error.isEmpty())
        return error;
    // The dialog started from the quote site carried over, so the list saved
    // holds it when the user kept it; left behind, it would come back as the
    // only source once every source is removed.
    if (const QString siteError = QuoteSiteStore::write(m_settings, StoredQuoteSite{}); !siteError.isEmpty())
        return siteError;
    m_chain = m_build();
    return {};
}
