#include "sourcesfile.h"

#include "certificatefile.h"
#include "wholefile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr QLatin1StringView kSources("sources");
constexpr QLatin1StringView kRates("rates");
constexpr QLatin1StringView kNote("note");
constexpr QLatin1StringView kDocumentation("documentation");

// The members a source object may have.
constexpr std::array kMemberFields{
    SourceField::Name, SourceField::Url, SourceField::Format, SourceField::Price,
    SourceField::Match, SourceField::Currency, SourceField::Factor, SourceField::Decimal,
    SourceField::Delimiter, SourceField::Headers, SourceField::Certificate, SourceField::Connections,
    SourceField::BatchSize, SourceField::Separator, SourceField::PerMinute,
};

QString decimalName(DecimalMark mark)
{
    return mark == DecimalMark::Point ? QStringLiteral(".") : QStringLiteral(",");
}

// One source object read into `source`, member by member; the first
// member that cannot be read is the problem.
class SourceReader
{
public:
    SourceReader(const QJsonObject &object, QuoteSource &source) : m_object(object), m_source(source) {}

    SourceProblem read()
    {
        text(SourceField::Name, m_source.name);
        text(SourceField::Url, m_source.url);
        format();
        text(SourceField::Price, m_source.price);
        text(SourceField::Match, m_source.match);
        text(SourceField::Currency, m_source.currency);
        factor();
        decimal();
        delimiter();
        headers();
        text(SourceField::Certificate, m_source.certificate);
        connections();
        wholeNumber(SourceField::BatchSize, m_source.batchSize);
        text(SourceField::Separator, m_source.separator);
        wholeNumber(SourceField::PerMinute, m_source.perMinute);
        return m_problem;
    }

private:
    QJsonValue member(SourceField field) const { return m_object.value(sourceFieldName(field)); }
    bool failed() const { return !m_problem.ok(); }
    void fail(SourceField field, SourceIssue issue)
    {
        if (!failed())
            m_problem = {field, issue, -1, -1};
    }

    void text(SourceField field, QString &out)
    {
        const QJsonValue value = member(field);
        if (value.isString())
            out = value.toString();
        else if (!value.isUndefined())
            fail(field, SourceIssue::WrongType);
    }

    void format()
    {
        QString name;
        text(SourceField::Format, name);
        if (member(SourceField::Format).isUndefined())
            fail(SourceField::Format, SourceIssue::Missing);
        else if (const auto format = sourceFormatNamed(name))
            m_source.format = *format;
        else
            fail(SourceField::Format, SourceIssue::UnknownValue);
    }

    void factor()
    {
        const QJsonValue value = member(SourceField::Factor);
        if (value.isDouble())
            m_source.factor = value.toDouble();
        else if (!value.isUndefined())
            fail(SourceField::Factor, SourceIssue::WrongType);
    }

    void decimal()
    {
        QString name = decimalName(m_source.decimal);
        text(SourceField::Decimal, name);
        if (name == decimalName(DecimalMark::Point))
            m_source.decimal = DecimalMark::Point;
        else if (name == decimalName(DecimalMark::Comma))
            m_source.decimal = DecimalMark::Comma;
        else
            fail(SourceField::Decimal, SourceIssue::UnknownValue);
    }

    void delimiter()
    {
        QString name(QChar::fromLatin1(m_source.delimiter));
        text(SourceField::Delimiter, name);
        if (name.size() == 1 && name.front().toLatin1() == name.front())
            m_source.delimiter = name.front().toLatin1();
        else
            fail(SourceField::Delimiter, SourceIssue::UnknownValue);
    }

    void headers()
    {
        const QJsonValue value = member(SourceField::Headers);
        if (value.isUndefined())
            return;
        if (!value.isObject())
            return fail(SourceField::Headers, SourceIssue::WrongType);
        const QJsonObject headers = value.toObject();
        for (auto it = headers.constBegin(); it != headers.constEnd(); ++it) {
            if (!it->isString())
                return fail(SourceField::Headers, SourceIssue::WrongType);
            m_source.headers.append({it.key(), it->toString()});
        }
    }

    // A whole number; its range is the source check's.
    void wholeNumber(SourceField field, int &out)
    {
        const QJsonValue value = member(field);
        if (value.isUndefined())
            return;
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || std::trunc(number) != number)
            return fail(field, SourceIssue::WrongType);
        if (std::abs(number) > std::numeric_limits<int>::max())
            return fail(field, SourceIssue::OutOfRange);
        out = int(number);
    }

    void connections()
    {
        const QJsonValue value = member(SourceField::Connections);
        if (value.isUndefined())
            return;
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || std::trunc(number) != number)
            return fail(SourceField::Connections, SourceIssue::WrongType);
        if (number < SourceLimits::kMinConnections || number > SourceLimits::kMaxConnections)
            return fail(SourceField::Connections, SourceIssue::OutOfRange);
        m_source.connections = int(number);
    }

    const QJsonObject &m_object;
    QuoteSource &m_source;
    SourceProblem m_problem;
};

QString unknownMember(const QJsonObject &object)
{
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const bool known = it.key() == kNote || it.key() == kDocumentation
            || std::any_of(kMemberFields.begin(), kMemberFields.end(),
                           [&it](SourceField field) { return sourceFieldName(field) == it.key(); });
        if (!known)
            return it.key();
    }
    return {};
}

// The source's note and documentation address; the member that is not
// usable as one, if any.
std::optional<SourceNote> readNote(const QJsonObject &object, QString *badMember)
{
    const QJsonValue note = object.value(kNote);
    const QJsonValue documentation = object.value(kDocumentation);
    const bool noteOk = note.isUndefined() || (note.isString() && note.toString().size() <= SourceLimits::kMaxNoteChars);
    const QString address = documentation.toString();
    const bool documentationOk = documentation.isUndefined()
        || (documentation.isString() && address.size() <= SourceLimits::kMaxUrlChars
            && address.startsWith(QLatin1String("https://")) && QUrl(address, QUrl::StrictMode).isValid());
    if (!noteOk || !documentationOk) {
        *badMember = noteOk ? kDocumentation : kNote;
        return std::nullopt;
    }
    return SourceNote{note.toString(), address};
}

// Keeps the note of the source `name` beside it; false, naming the member,
// when the note or its documentation address is not usable.
bool keepNote(const QJsonObject &object, const QString &name, QHash<QString, SourceNote> &notes, QString *badMember)
{
    const std::optional<SourceNote> note = readNote(object, badMember);
    if (!note)
        return false;
    if (!note->note.isEmpty() || !note->documentation.isEmpty())
        notes.insert(name, *note);
    return true;
}

// The name of the source at `index`, when it has a usable one.
QString nameAt(const QJsonArray &list, qsizetype index)
{
    if (index < 0)
        return {};
    const QString name = list.at(index).toObject().value(sourceFieldName(SourceField::Name)).toString();
    return isSourceName(name) ? name : QString();
}

SourcesFileRead refused(SourcesFileIssue issue, const QString &detail = {})
{
    SourcesFileRead read;
    read.problem.issue = issue;
    read.problem.detail = detail;
    return read;
}

// The problem of the source at `index`, named as the file names it.
SourcesFileRead sourceRefused(const QJsonArray &list, SourceProblem problem, qsizetype index)
{
    SourcesFileRead read = refused(SourcesFileIssue::Source);
    problem.index = index;
    read.problem.source = problem;
    read.problem.sourceName = nameAt(list, index);
    return read;
}

SourcesFileRead rateRefused(const QJsonArray &list, qsizetype index, SourceProblem problem, const QString &member = {})
{
    SourcesFileRead read = refused(SourcesFileIssue::Rate);
    problem.index = index;
    read.problem.source = problem;
    read.problem.rateIndex = index;
    read.problem.member = member;
    read.problem.sourceName = nameAt(list, index);
    return read;
}

// The rate sources, read as sources are and checked for their role.
SourcesFileRead readRates(const QJsonValue &value, QList<RateSource> &rates, QHash<QString, SourceNote> &notes)
{
    if (value.isUndefined())
        return {};
    const QJsonArray list = value.toArray();
    if (!value.isArray())
        return refused(SourcesFileIssue::NotSourcesObject);
    for (qsizetype index = 0; index < list.size(); ++index) {
        if (!list.at(index).isObject())
            return rateRefused(list, index, {SourceField::None, SourceIssue::WrongType, -1, -1});
        const QJsonObject object = list.at(index).toObject();
        if (const QString member = unknownMember(object); !member.isEmpty())
            return rateRefused(list, index, {}, member);
        RateSource rate;
        SourceProblem problem = SourceReader(object, rate).read();
        // The reader knows the formats of both roles; name those of this one.
        if (problem.field == SourceField::Format && problem.issue == SourceIssue::UnknownValue)
            problem.issue = SourceIssue::NotRateFormat;
        if (!problem.ok())
            return rateRefused(list, index, problem);
        if (QString badNote; !keepNote(object, rate.name, notes, &badNote)) {
            SourcesFileRead refusal = rateRefused(list, index, {}, badNote);
            refusal.problem.issue = SourcesFileIssue::Note;
            return refusal;
        }
        rates.append(rate);
    }
    if (const SourceProblem problem = checkQuoteSources(rates, SourceRole::Rates); !problem.ok())
        return rateRefused(list, problem.index, problem);
    return {};
}

// The first source of `read` whose certificate file cannot be trusted from
// refuses the file.
SourcesFileRead certificatesChecked(SourcesFileRead read)
{
    const auto check = [](const QList<QuoteSource> &list, SourcesFileIssue issue) -> SourcesFileRead {
        for (qsizetype index = 0; index < list.size(); ++index) {
            SourceProblem problem = checkCertificateFile(list[index]);
            if (problem.ok())
                continue;
            problem.index = index;
            SourcesFileRead refusal = refused(issue);
            refusal.problem.source = problem;
            refusal.problem.sourceName = list[index].name;
            refusal.problem.rateIndex = issue == SourcesFileIssue::Rate ? index : -1;
            return refusal;
        }
        return {};
    };
    if (SourcesFileRead refusal = check(read.sources, SourcesFileIssue::Source); !refusal.problem.ok())
        return refusal;
    if (SourcesFileRead refusal = check(read.rates, SourcesFileIssue::Rate); !refusal.problem.ok())
        return refusal;
    return read;
}

QJsonObject sourceObject(const QuoteSource &source)
{
    const QuoteSource defaults;
    QJsonObject object{
        {sourceFieldName(SourceField::Name), source.name},
        {sourceFieldName(SourceField::Url), source.url},
        {sourceFieldName(SourceField::Format), sourceFormatName(source.format)},
    };
    const auto set = [&object](SourceField field, const QJsonValue &value, bool isDefault) {
        if (!isDefault)
            object.insert(sourceFieldName(field), value);
    };
    set(SourceField::Price, source.price, source.price.isEmpty());
    set(SourceField::Match, source.match, source.match.isEmpty());
    set(SourceField::Currency, source.currency, source.currency.isEmpty());
    set(SourceField::Factor, source.factor, source.factor == defaults.factor);
    set(SourceField::Decimal, decimalName(source.decimal), source.decimal == defaults.decimal);
    set(SourceField::Delimiter, QString(QChar::fromLatin1(source.delimiter)), source.delimiter == defaults.delimiter);
    QJsonObject headers;
    for (const SourceHeader &header : source.headers)
        headers.insert(header.name, header.value);
    set(SourceField::Headers, headers, headers.isEmpty());
    set(SourceField::Certificate, source.certificate, source.certificate.isEmpty());
    set(SourceField::Connections, source.connections, source.connections == defaults.connections);
    set(SourceField::BatchSize, source.batchSize, source.batchSize == defaults.batchSize);
    set(SourceField::Separator, source.separator, source.separator == defaults.separator);
    set(SourceField::PerMinute, source.perMinute, source.perMinute == defaults.perMinute);
    return object;
}

QString noteProblemText(const QString &member)
{
    if (member == kNote)
        return QStringLiteral("\"note\" must be text of at most %1 characters").arg(SourceLimits::kMaxNoteChars);
    return QStringLiteral("\"documentation\" must be an https:// address of at most %1 characters")
        .arg(SourceLimits::kMaxUrlChars);
}

} // namespace

SourcesFileRead parseSourcesFile(QByteArrayView text)
{
    if (text.size() > SourceLimits::kMaxSourcesFileBytes)
        return refused(SourcesFileIssue::TooLarge);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        return refused(SourcesFileIssue::NotJson,
                       QStringLiteral("%1 at byte %2").arg(error.errorString()).arg(error.offset));
    const QJsonObject root = document.object();
    const qsizetype members = root.contains(kRates) ? 2 : 1;
    if (!document.isObject() || root.size() != members || !root.value(kSources).isArray())
        return refused(SourcesFileIssue::NotSourcesObject);
    QList<RateSource> rates;
    QHash<QString, SourceNote> notes;
    if (SourcesFileRead problem = readRates(root.value(kRates), rates, notes); !problem.problem.ok())
        return problem;

    const QJsonArray list = root.value(kSources).toArray();
    SourcesFileRead read;
    for (qsizetype index = 0; index < list.size(); ++index) {
        if (!list.at(index).isObject()) {
            SourcesFileRead notObject = sourceRefused(list, {}, index);
            notObject.problem.issue = SourcesFileIssue::SourceNotObject;
            return notObject;
        }
        const QJsonObject object = list.at(index).toObject();
        if (const QString member = unknownMember(object); !member.isEmpty()) {
            SourcesFileRead unknown = sourceRefused(list, {}, index);
            unknown.problem.issue = SourcesFileIssue::UnknownMember;
            unknown.problem.member = member;
            return unknown;
        }
        QuoteSource source;
        if (const SourceProblem problem = SourceReader(object, source).read(); !problem.ok())
            return sourceRefused(list, problem, index);
        if (QString badNote; !keepNote(object, source.name, notes, &badNote)) {
            SourcesFileRead refusal = sourceRefused(list, {}, index);
            refusal.problem.issue = SourcesFileIssue::Note;
            refusal.problem.member = badNote;
            return refusal;
        }
        read.sources.append(source);
    }
    if (const SourceProblem problem = checkQuoteSources(read.sources); !problem.ok())
        return sourceRefused(list, problem, problem.index);
    // A key is kept under its source's name: no rate source shares one.
    const QJsonArray rateList = root.value(kRates).toArray();
    for (qsizetype index = 0; index < rates.size(); ++index) {
        const bool taken = std::any_of(read.sources.begin(), read.sources.end(), [&](const QuoteSource &source) {
            return source.name.compare(rates[index].name, Qt::CaseInsensitive) == 0;
        });
        if (taken)
            return rateRefused(rateList, index, {SourceField::Name, SourceIssue::Duplicate, -1, -1});
    }
    read.rates = rates;
    read.notes = notes;
    return read;
}

SourcesFileRead readSourcesFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(SourcesFileIssue::Unreadable, file.errorString());
    // One byte more than allowed tells a file at the limit from a larger one.
    const QByteArray text = file.read(SourceLimits::kMaxSourcesFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return refused(SourcesFileIssue::Unreadable, file.errorString());
    return certificatesChecked(parseSourcesFile(text));
}

QByteArray sourcesFileText(const QList<QuoteSource> &sources, const QList<RateSource> &rates)
{
    const auto objects = [](const QList<QuoteSource> &from) {
        QJsonArray list;
        for (const QuoteSource &source : from)
            list.append(sourceObject(source));
        return list;
    };
    QJsonObject root{{kSources, objects(sources)}};
    if (!rates.isEmpty())
        root.insert(kRates, objects(rates));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

SourcesFileProblem writeSourcesFile(const QString &path, const QList<QuoteSource> &sources,
                                    const QList<RateSource> &rates)
{
    SourcesFileProblem problem;
    const auto refuse = [&problem](const QList<QuoteSource> &list, SourceRole role) {
        const SourceProblem found = checkQuoteSources(list, role);
        if (found.ok())
            return false;
        problem.issue = role == SourceRole::Rates ? SourcesFileIssue::Rate : SourcesFileIssue::Source;
        problem.source = found;
        problem.rateIndex = role == SourceRole::Rates ? found.index : -1;
        if (found.index >= 0)
            problem.sourceName = isSourceName(list[found.index].name) ? list[found.index].name : QString();
        return true;
    };
    if (refuse(sources, SourceRole::Quotes) || refuse(rates, SourceRole::Rates))
        return problem;
    const WholeFileWrite written = writeWholeFile(path, sourcesFileText(sources, rates));
    if (!written.ok()) {
        problem.issue = SourcesFileIssue::Unwritable;
        problem.detail = written.reason;
    }
    return problem;
}

QString sourcesFileProblemText(const QString &path, const SourcesFileProblem &problem)
{
    const QString who = problem.sourceName.isEmpty()
        ? QStringLiteral("source %1").arg(problem.source.index + 1)
        : QStringLiteral("source \"%1\"").arg(problem.sourceName);
    switch (problem.issue) {
    case SourcesFileIssue::None:
        return {};
    case SourcesFileIssue::Unreadable:
        return QStringLiteral("%1: cannot be read: %2").arg(path, problem.detail);
    case SourcesFileIssue::Unwritable:
        return QStringLiteral("%1: cannot be written: %2").arg(path, problem.detail);
    case SourcesFileIssue::TooLarge:
        return QStringLiteral("%1: larger than %2 KiB, not a sources file")
            .arg(path).arg(SourceLimits::kMaxSourcesFileBytes / 1024);
    case SourcesFileIssue::NotJson:
        return QStringLiteral("%1: not JSON: %2").arg(path, problem.detail);
    case SourcesFileIssue::NotSourcesObject:
        return QStringLiteral("%1: must be an object holding a \"sources\" list, optionally a \"rates\" list, and "
                              "nothing else")
            .arg(path);
    case SourcesFileIssue::Rate: {
        const QString rate = problem.sourceName.isEmpty()
            ? QStringLiteral("rate source %1").arg(problem.rateIndex + 1)
            : QStringLiteral("rate source \"%1\"").arg(problem.sourceName);
        if (!problem.member.isEmpty())
            return QStringLiteral("%1: %2: unknown member \"%3\"").arg(path, rate, problem.member);
        if (problem.source.field == SourceField::None && problem.source.issue == SourceIssue::WrongType)
            return QStringLiteral("%1: %2: must be an object").arg(path, rate);
        if (problem.rateIndex < 0)
            return sourceProblemText(path, problem.source);
        return sourceProblemText(QStringLiteral("%1: %2").arg(path, rate), problem.source);
    }
    case SourcesFileIssue::SourceNotObject:
        return QStringLiteral("%1: %2: must be an object").arg(path, who);
    case SourcesFileIssue::UnknownMember:
        return QStringLiteral("%1: %2: unknown member \"%3\"").arg(path, who, problem.member);
    case SourcesFileIssue::Note:
        if (problem.rateIndex >= 0) {
            const QString rate = problem.sourceName.isEmpty()
                ? QStringLiteral("rate source %1").arg(problem.rateIndex + 1)
                : QStringLiteral("rate source \"%1\"").arg(problem.sourceName);
            return QStringLiteral("%1: %2: %3").arg(path, rate, noteProblemText(problem.member));
        }
        return QStringLiteral("%1: %2: %3").arg(path, who, noteProblemText(problem.member));
    case SourcesFileIssue::Source:
        if (problem.source.index < 0)
            return sourceProblemText(path, problem.source);
        return sourceProblemText(QStringLiteral("%1: %2").arg(path, who), problem.source);
    }
    Q_UNREACHABLE();
}
