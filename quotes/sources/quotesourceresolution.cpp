#include "quotesourceresolution.h"

#include "quotesiteresolution.h"
#include "sourcesfile.h"

namespace {

// The quote site as the one page source it is, with the trust the quote
// site's own resolution gives it.
QuoteSourcesResolution pageSource(const QuoteSiteResolution &site, QuoteSourcesOrigin origin)
{
    QuoteSourcesResolution resolution;
    resolution.sources = QuoteSourceStore::carriedOver(
        StoredQuoteSite{site.host, site.settings.trustedCertificateFiles.value(0)});
    resolution.origin = origin;
    resolution.certificateDirectories = site.settings.trustedCertificateDirectories;
    return resolution;
}

QuoteSourcesResolution fromFile(const QString &path)
{
    QuoteSourcesResolution resolution;
    resolution.origin = QuoteSourcesOrigin::SourcesFile;
    const SourcesFileRead read = readSourcesFile(path);
    if (read.problem.ok()) {
        resolution.sources = read.sources;
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

    const QuoteSiteResolution site = resolveQuoteSite(environment, savedSite, builtInHost);
    QuoteSourcesResolution resolution;
    if (site.hostOrigin == QuoteSiteOrigin::Environment) {
        resolution = pageSource(site, QuoteSourcesOrigin::EnvironmentHost);
    } else if (!saved.sources.isEmpty()) {
        resolution.sources = saved.sources;
        resolution.origin = QuoteSourcesOrigin::Saved;
    } else if (site.hostOrigin == QuoteSiteOrigin::Stored) {
        resolution = pageSource(site, QuoteSourcesOrigin::SavedSite);
    } else if (site.hostOrigin == QuoteSiteOrigin::BuiltIn) {
        resolution = pageSource(site, QuoteSourcesOrigin::BuiltIn);
    }
    return resolution;
}
