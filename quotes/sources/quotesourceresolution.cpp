#include "quotesourceresolution.h"

#include "sourcesfile.h"

#include <QDir>

using namespace QuoteSiteEnvironment;

namespace {

// The one quote site of the environment, the saved values or the build, and
// its trust: the environment wins where it sets a value, then what the user
// saved, then the build (which gives no trust).
struct QuoteSite {
    QString host;
    QuoteSourcesOrigin origin = QuoteSourcesOrigin::None;
    QString certificateFile;
    QStringList certificateDirectories;
};

QuoteSite quoteSite(const QProcessEnvironment &environment, const StoredQuoteSite &saved,
                    const QString &builtInHost)
{
    QuoteSite site;
    if (const QString host = environment.value(QLatin1String(kHostVariable)); !host.isEmpty())
        site = QuoteSite{host, QuoteSourcesOrigin::EnvironmentHost, {}, {}};
    else if (!saved.host.isEmpty())
        site = QuoteSite{saved.host, QuoteSourcesOrigin::SavedSite, {}, {}};
    else if (!builtInHost.isEmpty())
        site = QuoteSite{builtInHost, QuoteSourcesOrigin::BuiltIn, {}, {}};

    const QString file = environment.value(QLatin1String(kCertificateFileVariable));
    const QStringList directories = environment.value(QLatin1String(kCertificateDirectoriesVariable))
                                        .split(QDir::listSeparator(), Qt::SkipEmptyParts);
    if (!file.isEmpty() || !directories.isEmpty()) {
        site.certificateFile = file;
        site.certificateDirectories = directories;
    } else {
        site.certificateFile = saved.certificateFile;
    }
    return site;
}

// The quote site as the one page source it is.
QuoteSourcesResolution pageSource(const QuoteSite &site)
{
    QuoteSourcesResolution resolution;
    resolution.sources = QuoteSourceStore::carriedOver(StoredQuoteSite{site.host, site.certificateFile});
    resolution.origin = site.origin;
    resolution.certificateDirectories = site.certificateDirectories;
    return resolution;
}

QuoteSourcesResolution fromFile(const QString &path)
{
    QuoteSourcesResolution resolution;
    resolution.origin = QuoteSourcesOrigin::SourcesFile;
    const SourcesFileRead read = readSourcesFile(path);
    if (read.problem.ok()) {
        resolution.sources = read.sources;
        resolution.rates = read.rates;
    } else {
        resolution.noSources = QuoteFailure::SourcesRefused;
        resolution.message = sourcesFileProblemText(path, read.problem);
    }
    return resolution;
}

} // namespace

QuoteSourcesResolution resolveQuoteSources(const QProcessEnvironment &environment,
                                           const StoredQuoteSourcesRead &saved,
                                           const StoredQuoteSite &savedSite, const QString &builtInHost)
{
    const QString file = environment.value(QLatin1String(QuoteSourcesEnvironment::kSourcesFileVariable));
    if (!file.isEmpty())
        return fromFile(file);

    const QuoteSite site = quoteSite(environment, savedSite, builtInHost);
    // The saved rate sources serve whatever prices: only a sources file
    // brings rates of its own.
    if (site.origin == QuoteSourcesOrigin::EnvironmentHost || (saved.sources.isEmpty() && !site.host.isEmpty())) {
        QuoteSourcesResolution resolution = pageSource(site);
        resolution.rates = saved.rates;
        return resolution;
    }
    QuoteSourcesResolution resolution;
    resolution.rates = saved.rates;
    if (!saved.sources.isEmpty()) {
        resolution.sources = saved.sources;
        resolution.origin = QuoteSourcesOrigin::Saved;
    }
    return resolution;
}

QString builtInQuoteHost()
{
    return QStringLiteral(FUNDTALLY_BUILD_QUOTE_HOST);
}
