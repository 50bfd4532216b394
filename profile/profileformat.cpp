#include "profileformat.h"

#include "messagetext.h"
#include "textdecoding.h"

#include <QCoreApplication>

#include <charconv>
#include <cmath>

namespace {

// Each record is eight tokens: label, name, label, symbol, label, shares,
// label, class. Only the very first label is compared (see FirstLabel).
constexpr int TokensPerRecord = 8;
constexpr int NameToken = 1;
constexpr int SymbolToken = 3;
constexpr int SharesToken = 5;
constexpr int ClassToken = 7;

// Tokens quoted in messages are cut to this length so a huge token cannot
// flood a message box.
constexpr qsizetype QuotedTokenLength = 40;

QString tr(const char *text)
{
    return QCoreApplication::translate("ProfileFormat", text);
}

// The characters that separated tokens when profiles were read with C stream
// extraction. Other white space (such as a no-break space) belongs to a token.
constexpr bool isSeparator(char16_t c)
{
    switch (c) {
    case u' ':
    case u'\t':
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
        return true;
    default:
        return false;
    }
}

constexpr bool isSeparatorByte(char c)
{
    return isSeparator(static_cast<unsigned char>(c));
}

// Every profile starts with this label, which tells a profile from any other
// file. The other labels are not compared, so older files with other
// spellings of them still load.
constexpr QByteArrayView FirstLabel = "AssetName";

// Editors on Windows put this before UTF-8 text.
constexpr QByteArrayView Utf8ByteOrderMark = "\xEF\xBB\xBF";

// Separators are ASCII and never occur inside a UTF-8 sequence, so the bytes
// split into tokens before anything is decoded.
class TokenReader
{
public:
    explicit TokenReader(QByteArrayView bytes) : m_bytes(bytes) {}

    std::optional<QByteArrayView> next()
    {
        while (m_position < m_bytes.size() && isSeparatorByte(m_bytes[m_position]))
            ++m_position;
        if (m_position == m_bytes.size())
            return std::nullopt;
        const qsizetype start = m_position;
        while (m_position < m_bytes.size() && !isSeparatorByte(m_bytes[m_position]))
            ++m_position;
        return m_bytes.sliced(start, m_position - start);
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_position = 0;
};

QString quoted(QByteArrayView token)
{
    const QString text = decodeProfileToken(token);
    if (text.size() <= QuotedTokenLength)
        return u'"' + escapedForMessage(text) + u'"';
    qsizetype length = QuotedTokenLength;
    if (text[length - 1].isHighSurrogate())
        --length;
    return u'"' + escapedForMessage(QStringView(text).first(length)) + QStringLiteral("…\"");
}

// from_chars takes no leading '+', which stream extraction accepted.
QByteArrayView numberChars(QByteArrayView token)
{
    if (token.startsWith('+') && token.size() > 1 && token[1] != '-' && token[1] != '+')
        return token.sliced(1);
    return token;
}

enum class SharesProblem { None, NotANumber, OutOfRange };

struct ParsedShares
{
    double shares = 0.0;
    SharesProblem problem = SharesProblem::None;
};

ParsedShares parseShares(QByteArrayView token)
{
    const QByteArrayView chars = numberChars(token);
    const char *const last = chars.data() + chars.size();
    double shares = 0.0;
    const auto [end, error] = std::from_chars(chars.data(), last, shares);
    if (error == std::errc::result_out_of_range && end == last)
        return {0.0, SharesProblem::OutOfRange};
    if (error != std::errc() || end != last || !std::isfinite(shares))
        return {0.0, SharesProblem::NotANumber};
    return {shares, SharesProblem::None};
}

// Any whole number is a valid class token; those that name no class load
// as no class.
std::optional<int> parseClass(QByteArrayView token)
{
    const QByteArrayView chars = numberChars(token);
    const char *const last = chars.data() + chars.size();
    int assetClass = NoAssetClass;
    const auto [end, error] = std::from_chars(chars.data(), last, assetClass);
    if (error == std::errc::result_out_of_range && end == last)
        return NoAssetClass;
    if (error != std::errc() || end != last)
        return std::nullopt;
    return isAssetClass(assetClass) ? assetClass : NoAssetClass;
}

QString loadedText(QByteArrayView token)
{
    if (token == "NULL")
        return {};
    return decodeProfileToken(token).replace(u'#', u' ');
}

QString missingTokenProblem(int recordNumber, int tokenIndex)
{
    static constexpr std::array<const char *, TokensPerRecord> fields = {
        QT_TRANSLATE_NOOP("ProfileFormat", "name label"),
        QT_TRANSLATE_NOOP("ProfileFormat", "name"),
        QT_TRANSLATE_NOOP("ProfileFormat", "symbol label"),
        QT_TRANSLATE_NOOP("ProfileFormat", "symbol"),
        QT_TRANSLATE_NOOP("ProfileFormat", "shares label"),
        QT_TRANSLATE_NOOP("ProfileFormat", "shares"),
        QT_TRANSLATE_NOOP("ProfileFormat", "class label"),
        QT_TRANSLATE_NOOP("ProfileFormat", "class"),
    };
    if (tokenIndex == 0)
        return tr("the file ends before record %1").arg(recordNumber);
    return tr("the file ends inside record %1, before its %2")
        .arg(recordNumber)
        .arg(tr(fields[static_cast<std::size_t>(tokenIndex)]));
}

// Returns what is wrong with the record, or nothing once it is read.
std::optional<QString> readRecord(TokenReader &tokens, int recordNumber, Holding &record)
{
    std::array<QByteArrayView, TokensPerRecord> fields;
    for (int index = 0; index < TokensPerRecord; ++index) {
        const std::optional<QByteArrayView> token = tokens.next();
        if (!token)
            return missingTokenProblem(recordNumber, index);
        fields[static_cast<std::size_t>(index)] = *token;
    }
    const ParsedShares shares = parseShares(fields[SharesToken]);
    switch (shares.problem) {
    case SharesProblem::None:
        break;
    case SharesProblem::NotANumber:
        return tr("the shares %1 in record %2 are not a number")
            .arg(quoted(fields[SharesToken]))
            .arg(recordNumber);
    case SharesProblem::OutOfRange:
        return tr("the shares %1 in record %2 are out of range")
            .arg(quoted(fields[SharesToken]))
            .arg(recordNumber);
    }
    const std::optional<int> assetClass = parseClass(fields[ClassToken]);
    if (!assetClass) {
        return tr("the class %1 in record %2 is not a whole number")
            .arg(quoted(fields[ClassToken]))
            .arg(recordNumber);
    }
    record = {loadedText(fields[NameToken]), loadedText(fields[SymbolToken]), shares.shares,
              *assetClass};
    return std::nullopt;
}

// The label of the optional line of targets after the twentieth record.
constexpr QByteArrayView TargetsLabel = "AssetTargets";

QString targetsProblem(const QString &what)
{
    return tr("the %1 line after record %2 %3")
        .arg(QLatin1String(TargetsLabel))
        .arg(HoldingRowCount)
        .arg(what);
}

// Reads the targets line when it is the next thing in the file. Returns what
// is wrong with it, or nothing when it was read or is not there.
std::optional<QString> readTargets(TokenReader &tokens, AssetTargets &targets)
{
    const std::optional<QByteArrayView> label = tokens.next();
    if (!label || *label != TargetsLabel)
        return std::nullopt;
    TargetPercents percents{};
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass) {
        const QString name = QString::fromLatin1(AssetClassLabels[assetClass]);
        const std::optional<QByteArrayView> token = tokens.next();
        if (!token)
            return targetsProblem(tr("ends before its %1 target").arg(name));
        // Targets are written in the same shortest decimal form as shares.
        const ParsedShares percent = parseShares(*token);
        if (percent.problem != SharesProblem::None || !isTargetPercent(percent.shares)) {
            return targetsProblem(tr("has the %1 target %2, which is not a percent from %3 to %4 with at most %5 decimal")
                                      .arg(name, quoted(*token))
                                      .arg(MinTargetPercent)
                                      .arg(MaxTargetPercent)
                                      .arg(TargetDecimals));
        }
        percents[assetClass] = roundedTargetPercent(percent.shares);
    }
    if (!targetsAddUp(percents)) {
        return targetsProblem(tr("has targets that add up to %1 %, not 100 %")
                                  .arg(QString::number(targetSum(percents), 'g', 15)));
    }
    targets = percents;
    return std::nullopt;
}

// Every separator becomes "#" so that the value stays one token; the reader
// turns it back into a space.
QByteArray storedText(const QString &text)
{
    QString stored = text;
    for (QChar &c : stored) {
        if (isSeparator(c.unicode()))
            c = u'#';
    }
    return stored.isEmpty() ? QByteArrayLiteral("NULL") : stored.toUtf8();
}

int storedClass(int assetClass)
{
    return isAssetClass(assetClass) ? assetClass : NoAssetClass;
}

QByteArray storedTargets(const TargetPercents &targets)
{
    QByteArrayList texts;
    // Adding 0.0 writes a negative zero as a plain 0.
    for (const double percent : targets)
        texts.append(profileSharesText(percent + 0.0).toLatin1());
    return texts.join('\t');
}

void appendLine(QByteArray &out, QByteArrayView label, QByteArrayView value)
{
    out.append(label).append('\t').append(value).append('\n');
}

} // namespace

QByteArray writeProfile(const Holdings &records, const AssetTargets &targets)
{
    QByteArray out;
    for (const Holding &record : records) {
        appendLine(out, "AssetName", storedText(record.name));
        appendLine(out, "AssetSymbol", storedText(record.symbol));
        appendLine(out, "AssetShares", profileSharesText(record.shares).toLatin1());
        appendLine(out, "AssetClass", QByteArray::number(storedClass(record.assetClass)));
    }
    // Targets that would refuse the file when read back are never written.
    if (targets && areValidTargets(*targets))
        appendLine(out, TargetsLabel, storedTargets(*targets));
    return out;
}

QString profileSharesText(double shares)
{
    if (!std::isfinite(shares))
        return QStringLiteral("0");
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), shares);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

ProfileReadResult readProfile(QByteArrayView bytes)
{
    if (bytes.startsWith(Utf8ByteOrderMark))
        bytes = bytes.sliced(Utf8ByteOrderMark.size());
    TokenReader tokens(bytes);
    const std::optional<QByteArrayView> first = TokenReader(tokens).next();
    if (!first)
        return {std::nullopt, 0, tr("the file is empty")};
    if (*first != FirstLabel) {
        return {std::nullopt, 0,
                tr("it is not a Fundtally profile (it starts with %1, not \"%2\")")
                    .arg(quoted(*first), QLatin1String(FirstLabel))};
    }
    Holdings records;
    for (int index = 0; index < HoldingRowCount; ++index) {
        const int recordNumber = index + 1;
        const std::optional<QString> problem =
            readRecord(tokens, recordNumber, records[static_cast<std::size_t>(index)]);
        if (problem)
            return {std::nullopt, recordNumber, *problem};
    }
    AssetTargets targets;
    if (const std::optional<QString> problem = readTargets(tokens, targets))
        return {std::nullopt, 0, *problem};
    return {records, 0, {}, targets};
}
