#include "jsonplace.h"

#include <QJsonArray>
#include <QJsonObject>

#include <utility>

namespace {

using Step = JsonPlace::Step;

// The largest index I-JSON numbers can hold exactly, as RFC 9535 allows.
constexpr qint64 kMaxIndex = (qint64(1) << 53) - 1;
constexpr int kUnicodeEscapeDigits = 4;
constexpr char16_t kFirstNonAscii = 0x80;

struct Parsed {
    QList<Step> steps;
    JsonPlaceError error = JsonPlaceError::None;
    qsizetype position = 0;
};

Parsed parsePointer(QStringView text)
{
    Parsed parsed;
    qsizetype at = 1; // past the first "/"
    for (;;) {
        Step step;
        step.kind = Step::Kind::Token;
        for (; at < text.size() && text[at] != u'/'; ++at) {
            if (text[at] != u'~') {
                step.name += text[at];
                continue;
            }
            const QChar next = at + 1 < text.size() ? text[at + 1] : QChar();
            if (next != u'0' && next != u'1')
                return {{}, JsonPlaceError::PointerEscape, at};
            step.name += next == u'0' ? u'~' : u'/';
            ++at;
        }
        parsed.steps.append(step);
        if (at == text.size())
            return parsed;
        ++at;
    }
}

// The JSONPath subset, read by recursive descent. The first failure wins,
// with where it was found.
class PathParser
{
public:
    explicit PathParser(QStringView text) : m_text(text) {}

    Parsed parse()
    {
        m_at = 1; // past "$"
        while (segment()) {
        }
        return std::move(m_parsed);
    }

private:
    QChar peek(qsizetype ahead = 0) const
    {
        return m_at + ahead < m_text.size() ? m_text[m_at + ahead] : QChar();
    }
    bool atEnd() const { return m_at >= m_text.size(); }
    bool take(QChar c)
    {
        if (peek() != c)
            return false;
        ++m_at;
        return true;
    }
    void skipBlanks()
    {
        while (peek() == u' ' || peek() == u'\t' || peek() == u'\n' || peek() == u'\r')
            ++m_at;
    }
    bool fail(JsonPlaceError error)
    {
        if (m_parsed.error == JsonPlaceError::None) {
            m_parsed.error = error;
            m_parsed.position = m_at;
        }
        m_parsed.steps.clear();
        return false;
    }
    bool syntax() { return fail(JsonPlaceError::PathSyntax); }
    bool unsupported() { return fail(JsonPlaceError::PathUnsupported); }

    static bool isNameFirst(QChar c)
    {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c.unicode() >= kFirstNonAscii;
    }
    static bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
    static int hexValue(QChar c)
    {
        constexpr int kTen = 10;
        if (isDigit(c))
            return c.unicode() - u'0';
        if (c >= u'a' && c <= u'f')
            return c.unicode() - u'a' + kTen;
        if (c >= u'A' && c <= u'F')
            return c.unicode() - u'A' + kTen;
        return -1;
    }

    // Another segment was read; false at the end of the path or on failure.
    bool segment()
    {
        skipBlanks();
        if (atEnd())
            return false;
        if (take(u'.'))
            return dotSegment();
        if (take(u'['))
            return bracketSegment();
        return syntax();
    }

    bool dotSegment()
    {
        Step step;
        if (peek() == u'.')
            return unsupported(); // descendants
        if (take(u'*')) {
            step.kind = Step::Kind::Wildcard;
        } else if (!memberName(step.name)) {
            return syntax();
        }
        m_parsed.steps.append(step);
        return true;
    }

    bool memberName(QString &name)
    {
        if (!isNameFirst(peek()))
            return false;
        while (isNameFirst(peek()) || isDigit(peek()))
            name += m_text[m_at++];
        return true;
    }

    bool bracketSegment()
    {
        skipBlanks();
        Step step;
        if (!selector(step))
            return false;
        skipBlanks();
        if (peek() == u',' || peek() == u':')
            return unsupported(); // unions and slices
        if (!take(u']'))
            return syntax();
        m_parsed.steps.append(step);
        return true;
    }

    bool selector(Step &step)
    {
        const QChar c = peek();
        if (c == u'\'' || c == u'"') {
            step.kind = Step::Kind::Member;
            return stringLiteral(step.name);
        }
        if (take(u'*')) {
            step.kind = Step::Kind::Wildcard;
            return true;
        }
        if (take(u'?')) {
            step.kind = Step::Kind::Filter;
            return filter(step);
        }
        if (isDigit(c) || c == u'-') {
            step.kind = Step::Kind::Index;
            return index(step.index);
        }
        if (c == u':')
            return unsupported();
        return syntax();
    }

    // "0", or digits without a leading zero, optionally negative.
    bool index(qint64 &value)
    {
        const qsizetype start = m_at;
        const bool negative = take(u'-');
        if (!isDigit(peek()) || (peek() == u'0' && (negative || isDigit(peek(1)))))
            return syntax();
        value = 0;
        while (isDigit(peek())) {
            value = value * 10 + (m_text[m_at++].unicode() - u'0');
            if (value > kMaxIndex) {
                m_at = start;
                return syntax();
            }
        }
        if (negative)
            value = -value;
        return true;
    }

    bool stringLiteral(QString &text)
    {
        const QChar quote = m_text[m_at++];
        while (!atEnd() && peek() != quote) {
            const QChar c = m_text[m_at++];
            if (c.unicode() < u' ')
                return syntax();
            if (c != u'\\') {
                text += c;
            } else if (!escape(text)) {
                return syntax();
            }
        }
        return take(quote) || syntax();
    }

    // After a backslash: one of JSON's escapes, or \u and four hex digits.
    bool escape(QString &text)
    {
        static constexpr QLatin1StringView kEscapes("b\bf\fn\nr\rt\t//\\\\''\"\"");
        const QChar c = peek();
        if (c == u'u') {
            ++m_at;
            return unicodeEscape(text);
        }
        for (qsizetype at = 0; at < kEscapes.size(); at += 2) {
            if (kEscapes[at] == c) {
                text += kEscapes[at + 1];
                ++m_at;
                return true;
            }
        }
        return false;
    }

    bool unicodeEscape(QString &text)
    {
        char16_t unit = 0;
        for (int digit = 0; digit < kUnicodeEscapeDigits; ++digit) {
            const int value = hexValue(peek());
            if (value < 0)
                return false;
            unit = char16_t(unit * 16 + value);
            ++m_at;
        }
        text += QChar(unit);
        return true;
    }

    // ?@.field == 'text', optionally in parentheses, either side of "==".
    bool filter(Step &step)
    {
        skipBlanks();
        const bool parenthesized = take(u'(');
        skipBlanks();
        if (peek() == u'@') {
            if (!relativeQuery(step.field) || !equals() || !comparedText(step.text))
                return false;
        } else if (peek() == u'\'' || peek() == u'"') {
            if (!stringLiteral(step.text) || !equals() || !relativeQuery(step.field))
                return false;
        } else {
            return peek() == u'$' || peek() == u'!' || isNameFirst(peek()) || isDigit(peek()) ? unsupported()
                                                                                                : syntax();
        }
        skipBlanks();
        if (peek() == u'&' || peek() == u'|')
            return unsupported();
        return !parenthesized || take(u')') || syntax();
    }

    bool relativeQuery(QStringList &field)
    {
        skipBlanks();
        if (!take(u'@'))
            return peek() == u'$' ? unsupported() : syntax();
        for (;;) {
            skipBlanks();
            QString name;
            if (take(u'.')) {
                if (peek() == u'.' || peek() == u'*')
                    return unsupported();
                if (!memberName(name))
                    return syntax();
            } else if (take(u'[')) {
                skipBlanks();
                if (peek() != u'\'' && peek() != u'"')
                    return unsupported(); // indexes and wildcards inside a filter
                if (!stringLiteral(name))
                    return false;
                skipBlanks();
                if (!take(u']'))
                    return syntax();
            } else {
                return true;
            }
            field.append(name);
        }
    }

    bool equals()
    {
        skipBlanks();
        if (take(u'=') && take(u'='))
            return true;
        const QChar c = peek();
        return c == u'!' || c == u'<' || c == u'>' || c == u'&' || c == u'|' || c == u']' || c == u')'
            ? unsupported() : syntax();
    }

    // The text compared with: a string; numbers, literals and queries are not
    // taken.
    bool comparedText(QString &text)
    {
        skipBlanks();
        if (peek() == u'\'' || peek() == u'"')
            return stringLiteral(text);
        return isNameFirst(peek()) || isDigit(peek()) || peek() == u'-' || peek() == u'@' || peek() == u'$'
            ? unsupported() : syntax();
    }

    QStringView m_text;
    qsizetype m_at = 0;
    Parsed m_parsed;
};

QString normalizedName(const QString &name)
{
    QString escaped;
    for (const QChar c : name) {
        switch (c.unicode()) {
        case u'\'': escaped += QStringLiteral("\\'"); break;
        case u'\\': escaped += QStringLiteral("\\\\"); break;
        case u'\b': escaped += QStringLiteral("\\b"); break;
        case u'\f': escaped += QStringLiteral("\\f"); break;
        case u'\n': escaped += QStringLiteral("\\n"); break;
        case u'\r': escaped += QStringLiteral("\\r"); break;
        case u'\t': escaped += QStringLiteral("\\t"); break;
        default:
            if (c.unicode() < u' ')
                escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                escaped += c;
        }
    }
    return QStringLiteral("['%1']").arg(escaped);
}

QString indexPath(qsizetype index)
{
    return QStringLiteral("[%1]").arg(index);
}

// A pointer token that names an array index: "0" or digits without a
// leading zero, within the array.
std::optional<qsizetype> tokenIndex(const QString &token, qsizetype size)
{
    bool ok = false;
    const qlonglong value = token.toLongLong(&ok);
    if (!ok || token.isEmpty() || token.front() < u'0' || token.front() > u'9'
        || (token.size() > 1 && token.front() == u'0') || value >= size)
        return std::nullopt;
    return qsizetype(value);
}

QString withSymbol(const QString &text, const QString &symbol)
{
    return QString(text)
        .replace(QLatin1String("{SYMBOL}"), symbol)
        .replace(QLatin1String("{symbol}"), symbol.toLower());
}

bool passesFilter(QJsonValue value, const Step &step, const QString &text)
{
    for (const QString &name : step.field) {
        if (!value.isObject())
            return false;
        value = value.toObject().value(name);
    }
    return value.isString() && value.toString() == text;
}

} // namespace

JsonPlace::JsonPlace(QList<Step> steps, JsonPlaceError error, qsizetype errorPosition)
    : m_steps(std::move(steps))
    , m_error(error)
    , m_errorPosition(errorPosition)
{
}

JsonPlace JsonPlace::parse(QStringView text)
{
    Parsed parsed;
    if (text.isEmpty())
        parsed.error = JsonPlaceError::Empty;
    else if (text.front() == u'/')
        parsed = parsePointer(text);
    else if (text.front() == u'$')
        parsed = PathParser(text).parse();
    else
        parsed.error = JsonPlaceError::NotPointerOrPath;
    return JsonPlace(std::move(parsed.steps), parsed.error, parsed.position);
}

std::optional<JsonFound> JsonPlace::find(const QJsonValue &root, const QString &symbol) const
{
    if (!isValid())
        return std::nullopt;
    return findFrom(root, 0, QJsonValue(QJsonValue::Undefined), QStringLiteral("$"), symbol);
}

// Recursion is as deep as the answer's nesting at most: every step goes one
// array or object down, and stops at anything else.
std::optional<JsonFound> JsonPlace::findFrom(const QJsonValue &value, qsizetype step, const QJsonValue &parent,
                                             const QString &path, const QString &symbol) const
{
    if (step == m_steps.size())
        return JsonFound{value, parent, path};
    if (value.isObject())
        return findInObject(value, step, path, symbol);
    if (value.isArray())
        return findInArray(value, step, path, symbol);
    return std::nullopt;
}

std::optional<JsonFound> JsonPlace::findInObject(const QJsonValue &value, qsizetype step, const QString &path,
                                                 const QString &symbol) const
{
    const Step &next = m_steps[step];
    const QJsonObject object = value.toObject();
    if (next.kind == Step::Kind::Member || next.kind == Step::Kind::Token) {
        const auto it = object.constFind(next.name);
        if (it == object.constEnd())
            return std::nullopt;
        return findFrom(*it, step + 1, value, path + normalizedName(next.name), symbol);
    }
    if (next.kind == Step::Kind::Index)
        return std::nullopt;
    const QString text = withSymbol(next.text, symbol);
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (next.kind == Step::Kind::Filter && !passesFilter(*it, next, text))
            continue;
        if (auto found = findFrom(*it, step + 1, value, path + normalizedName(it.key()), symbol))
            return found;
    }
    return std::nullopt;
}

std::optional<JsonFound> JsonPlace::findInArray(const QJsonValue &value, qsizetype step, const QString &path,
                                                const QString &symbol) const
{
    const Step &next = m_steps[step];
    const QJsonArray array = value.toArray();
    if (next.kind == Step::Kind::Member)
        return std::nullopt;
    if (next.kind == Step::Kind::Token || next.kind == Step::Kind::Index) {
        const std::optional<qsizetype> index = next.kind == Step::Kind::Token
            ? tokenIndex(next.name, array.size())
            : (next.index < 0 ? array.size() + next.index : next.index);
        if (!index || *index < 0 || *index >= array.size())
            return std::nullopt;
        return findFrom(array.at(*index), step + 1, value, path + indexPath(*index), symbol);
    }
    const QString text = withSymbol(next.text, symbol);
    for (qsizetype at = 0; at < array.size(); ++at) {
        const QJsonValue element = array.at(at);
        if (next.kind == Step::Kind::Filter && !passesFilter(element, next, text))
            continue;
        if (auto found = findFrom(element, step + 1, value, path + indexPath(at), symbol))
            return found;
    }
    return std::nullopt;
}
