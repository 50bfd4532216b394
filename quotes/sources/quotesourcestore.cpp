#include "quotesourcestore.h"
#include "quotedtext.h"

#include "quotehost.h"
#include "settingsfile.h"
#include "sourcelimits.h"

#include <QCoreApplication>
#include <QDir>
#include <QVariant>

#include <algorithm>
#include <optional>

namespace QuoteSourceStore {
namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("QuoteSourceStore", text);
}

// The largest list the user can keep fits the settings file, with room for
// the rest of the file as large as the file was once allowed to be. In Qt's
// INI form a character takes at most 4 bytes (a control character is
// written \xNN, and so is a hex digit after one); a line adds its key, "=",
// quotes or "@String()" around the value, and a line break.
constexpr qint64 kMaxIniBytesPerChar = 4;
constexpr qint64 kMaxIniLineBytes = 32;
// Every member but the headers is a line of its own; the format, factor,
// decimal mark, delimiter and connections are short.
constexpr qint64 kMemberLines = 14;
constexpr qint64 kMaxShortMembersChars = 48;
constexpr qint64 kMaxSourceChars = SourceLimits::kMaxNameChars + SourceLimits::kMaxUrlChars
    + 3 * SourceLimits::kMaxPlaceChars + 2 * SourceLimits::kMaxHeaders * SourceLimits::kMaxHeaderChars
    + SourceLimits::kMaxCertificateChars + kMaxShortMembersChars;
constexpr qint64 kMaxSourceBytes =
    kMaxIniBytesPerChar * kMaxSourceChars + kMaxIniLineBytes * (kMemberLines + 2 * SourceLimits::kMaxHeaders);
constexpr qint64 kRestOfFileBytes = 64 * 1024;
// The most sources and rate sources, the groups' own lines, and the rest of
// the file.
static_assert((SourceLimits::kMaxSources + SourceLimits::kMaxRateSources) * kMaxSourceBytes + 2 * kMaxIniLineBytes
                  + kRestOfFileBytes
              <= SettingsFile::kMaxBytes);

QString key(SourceField field)
{
    return sourceFieldName(field);
}

// The numbered groups under the current one, in order: what the file
// holds, whatever a count in it might claim.
QList<int> numberedGroups(const QSettings &settings)
{
    QList<int> numbers;
    for (const QString &group : settings.childGroups()) {
        bool ok = false;
        const int number = group.toInt(&ok);
        if (ok && number > 0 && QString::number(number) == group)
            numbers << number;
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// One saved source, read member by member from text values.
class SavedSourceReader
{
public:
    SavedSourceReader(QSettings &settings, SourceRole role) : m_settings(settings), m_role(role) {}

    SourceProblem read(QuoteSource &source)
    {
        source.name = text(SourceField::Name).value_or(QString());
        source.url = text(SourceField::Url).value_or(QString());
        if (const std::optional<QString> format = text(SourceField::Format))
            source.format = formatNamed(*format);
        source.price = text(SourceField::Price).value_or(QString());
        source.match = text(SourceField::Match).value_or(QString());
        source.currency = text(SourceField::Currency).value_or(QString());
        if (const std::optional<QString> factor = text(SourceField::Factor))
            source.factor = number<double>(SourceField::Factor, factor->toDouble(&m_ok));
        if (const std::optional<QString> decimal = text(SourceField::Decimal))
            source.decimal = decimalNamed(*decimal);
        if (const std::optional<QString> delimiter = text(SourceField::Delimiter))
            source.delimiter = delimiterNamed(*delimiter);
        source.headers = headers();
        source.certificate = text(SourceField::Certificate).value_or(QString());
        if (const std::optional<QString> connections = text(SourceField::Connections))
            source.connections = number<int>(SourceField::Connections, connections->toInt(&m_ok));
        if (const std::optional<QString> batchSize = text(SourceField::BatchSize))
            source.batchSize = number<int>(SourceField::BatchSize, batchSize->toInt(&m_ok));
        source.separator = text(SourceField::Separator).value_or(source.separator);
        if (const std::optional<QString> perMinute = text(SourceField::PerMinute))
            source.perMinute = number<int>(SourceField::PerMinute, perMinute->toInt(&m_ok));
        if (!m_problem.ok())
            return m_problem;
        const SourceProblem checked = checkQuoteSource(source, m_role);
        return checked.ok() ? checkCertificateFile(source) : checked;
    }

private:
    void fail(SourceField field, SourceIssue issue)
    {
        if (m_problem.ok())
            m_problem = SourceProblem{field, issue, -1, -1};
    }

    std::optional<QString> text(SourceField field) { return textAt(key(field), field); }

    std::optional<QString> textAt(const QString &name, SourceField field)
    {
        if (!m_settings.contains(name))
            return std::nullopt;
        const QVariant value = m_settings.value(name);
        if (value.typeId() != QMetaType::QString) {
            fail(field, SourceIssue::WrongType);
            return std::nullopt;
        }
        return value.toString();
    }

    template<typename Number>
    Number number(SourceField field, Number value)
    {
        if (!m_ok)
            fail(field, SourceIssue::WrongType);
        return value;
    }

    SourceFormat formatNamed(const QString &name)
    {
        if (const std::optional<SourceFormat> format = sourceFormatNamed(name))
            return *format;
        fail(SourceField::Format, SourceIssue::UnknownValue);
        return SourceFormat::Page;
    }

    DecimalMark decimalNamed(const QString &name)
    {
        if (name == u",")
            return DecimalMark::Comma;
        if (name != u".")
            fail(SourceField::Decimal, SourceIssue::UnknownValue);
        return DecimalMark::Point;
    }

    char delimiterNamed(const QString &name)
    {
        if (name.size() == 1 && name.front().unicode() < 0x80)
            return name.front().toLatin1();
        fail(SourceField::Delimiter, SourceIssue::UnknownValue);
        return ',';
    }

    QList<SourceHeader> headers()
    {
        QList<SourceHeader> found;
        m_settings.beginGroup(QLatin1String(kHeadersGroup));
        for (const int number : numberedGroups(m_settings)) {
            const QString at = QString::number(number) + u'/';
            found << SourceHeader{textAt(at + QLatin1String(kHeaderName), SourceField::Headers).value_or(QString()),
                                  textAt(at + QLatin1String(kHeaderValue), SourceField::Headers).value_or(QString())};
        }
        m_settings.endGroup();
        return found;
    }

    QSettings &m_settings;
    const SourceRole m_role;
    SourceProblem m_problem;
    bool m_ok = true;
};

void writeSource(QSettings &settings, const QuoteSource &source)
{
    const QuoteSource defaults;
    const auto set = [&settings](SourceField field, const QString &value, bool isDefault) {
        if (!isDefault)
            settings.setValue(key(field), value);
    };
    set(SourceField::Name, source.name, false);
    set(SourceField::Url, source.url, false);
    set(SourceField::Format, sourceFormatName(source.format), false);
    set(SourceField::Price, source.price, source.price.isEmpty());
    set(SourceField::Match, source.match, source.match.isEmpty());
    set(SourceField::Currency, source.currency, source.currency.isEmpty());
    // Shortest text that reads back to the same number.
    set(SourceField::Factor, QString::number(source.factor, 'g', QLocale::FloatingPointShortest),
        source.factor == defaults.factor);
    set(SourceField::Decimal, source.decimal == DecimalMark::Comma ? QStringLiteral(",") : QStringLiteral("."),
        source.decimal == defaults.decimal);
    set(SourceField::Delimiter, QString(QChar::fromLatin1(source.delimiter)), source.delimiter == defaults.delimiter);
    set(SourceField::Certificate, source.certificate, source.certificate.isEmpty());
    set(SourceField::Connections, QString::number(source.connections), source.connections == defaults.connections);
    set(SourceField::BatchSize, QString::number(source.batchSize), source.batchSize == defaults.batchSize);
    set(SourceField::Separator, source.separator, source.separator == defaults.separator);
    set(SourceField::PerMinute, QString::number(source.perMinute), source.perMinute == defaults.perMinute);
    for (qsizetype i = 0; i < source.headers.size(); ++i) {
        settings.beginGroup(QLatin1String(kHeadersGroup) + u'/' + QString::number(i + 1));
        settings.setValue(QLatin1String(kHeaderName), source.headers.at(i).name);
        settings.setValue(QLatin1String(kHeaderValue), source.headers.at(i).value);
        settings.endGroup();
    }
}

void replaceList(QSettings &settings, const char *group, const QList<QuoteSource> &sources)
{
    settings.remove(QLatin1String(group));
    for (qsizetype i = 0; i < sources.size(); ++i) {
        settings.beginGroup(QLatin1String(group) + u'/' + QString::number(i + 1));
        writeSource(settings, sources.at(i));
        settings.endGroup();
    }
}

void replaceLists(QSettings &settings, const QList<QuoteSource> &sources, const QList<RateSource> &rates)
{
    replaceList(settings, kGroup, sources);
    replaceList(settings, kRatesGroup, rates);
}

// One saved list of `role`: the sources fit for use, a problem for each
// one ignored.
QList<QuoteSource> readList(QSettings &settings, SourceRole role, QStringList &problems)
{
    const bool rates = role == SourceRole::Rates;
    const qsizetype most = rates ? SourceLimits::kMaxRateSources : SourceLimits::kMaxSources;
    QList<QuoteSource> found;
    settings.beginGroup(QLatin1String(rates ? kRatesGroup : kGroup));
    const QList<int> numbers = numberedGroups(settings);
    for (const int number : numbers) {
        if (found.size() == most) {
            problems << (rates ? tr("More than %1 rate sources are saved; the rest are ignored.")
                               : tr("More than %1 quote sources are saved; the rest are ignored."))
                            .arg(most);
            break;
        }
        settings.beginGroup(QString::number(number));
        QuoteSource source;
        SourceProblem problem = SavedSourceReader(settings, role).read(source);
        settings.endGroup();
        const bool named = isSourceName(source.name);
        if (problem.ok() && std::any_of(found.begin(), found.end(), [&source](const QuoteSource &kept) {
                return kept.name.compare(source.name, Qt::CaseInsensitive) == 0;
            })) {
            problem = SourceProblem{SourceField::Name, SourceIssue::Duplicate, -1, -1};
        }
        if (problem.ok()) {
            found << source;
            continue;
        }
        if (rates) {
            const QString who = named ? source.name : tr("Rate source %1").arg(number);
            problems << tr("A saved rate source is ignored: %1").arg(sourceProblemText(who, problem));
        } else {
            const QString who = named ? source.name : tr("Quote source %1").arg(number);
            problems << tr("A saved quote source is ignored: %1").arg(sourceProblemText(who, problem));
        }
    }
    settings.endGroup();
    return found;
}

} // namespace

StoredQuoteSourcesRead read(QSettings &settings)
{
    StoredQuoteSourcesRead found;
    if (const QString problem = SettingsFile::problem(settings); !problem.isEmpty()) {
        found.problems << tr("%1; the saved quote sources are ignored.").arg(problem);
        return found;
    }
    found.sources = readList(settings, SourceRole::Quotes, found.problems);
    found.rates = readList(settings, SourceRole::Rates, found.problems);
    return found;
}

QString write(QSettings &settings, const QList<QuoteSource> &sources, const QList<RateSource> &rates)
{
    if (settings.format() == SettingsFile::unreadFormat())
        return tr("%1 and the quote sources cannot be saved in it; remove the file to save them.")
            .arg(SettingsFile::problem(settings));
    const QString file = quotedText(QDir::toNativeSeparators(settings.fileName()));
    const std::optional<qint64> size =
        SettingsFile::sizeAfter(settings, [&](QSettings &copy) { replaceLists(copy, sources, rates); });
    if (!size)
        return tr("The quote sources could not be saved in %1.").arg(file);
    if (*size > SettingsFile::kMaxBytes)
        return tr("The quote sources are not saved: with them the settings file %1 would be larger than "
                  "%2 KiB, and would not be read.")
            .arg(file)
            .arg(SettingsFile::kMaxBytes / 1024);
    replaceLists(settings, sources, rates);
    settings.sync();
    // The file itself tells whether the lists are in it, read as the next start reads them.
    const StoredQuoteSourcesRead written = read(*SettingsFile::open(settings.fileName()));
    if (settings.status() == QSettings::AccessError || written.sources != sources || written.rates != rates)
        return tr("The quote sources could not be saved in %1.").arg(file);
    return {};
}

QList<QuoteSource> carriedOver(const StoredQuoteSite &site)
{
    if (site.host.isEmpty())
        return {};
    QuoteSource source;
    source.name = QLatin1String(kCarriedOverName);
    source.url = QStringLiteral("https://%1/quote/{SYMBOL}/?p={SYMBOL}").arg(site.host);
    source.format = SourceFormat::Page;
    source.certificate = site.certificateFile;
    return {source};
}

} // namespace QuoteSourceStore
