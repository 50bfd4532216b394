#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Why a text is not a place in a JSON answer.
enum class JsonPlaceError {
    None,
    Empty,
    NotPointerOrPath,   // starts with neither "/" nor "$"
    PointerEscape,      // "~" not followed by 0 or 1
    PathSyntax,         // not JSONPath
    PathUnsupported,    // JSONPath beyond names, indexes, [*] and the one filter
};

// A value found at a place, for pricing and for showing where it was.
struct JsonFound {
    QJsonValue value;
    QJsonValue parent;  // the array or object holding it; undefined at the root
    QString path;       // as a normalized JSONPath: $['quote'][0]['last']
};

// The place of a value in a JSON answer, parsed once: a JSON Pointer
// (RFC 6901), "/quote/0/last", or a JSONPath (RFC 9535) made of member
// names (.name, ['name']), array indexes ([2], [-1] from the end), the
// wildcard ([*], .*) and one filter, [?@.field == 'text'], whose text may
// hold {SYMBOL} (and {symbol}, lower case). Object members have no order in
// JSON; a wildcard or filter visits them by name.
class JsonPlace
{
public:
    static JsonPlace parse(QStringView text);

    bool isValid() const { return m_error == JsonPlaceError::None; }
    JsonPlaceError error() const { return m_error; }
    // Where in the text the error was found (0-based), for the message.
    qsizetype errorPosition() const { return m_errorPosition; }

    // The first value at the place, in document order.
    std::optional<JsonFound> find(const QJsonValue &root, const QString &symbol) const;

    struct Step {
        // A pointer's token names a member of an object, or an index of an
        // array when it is a number without leading zeros.
        enum class Kind { Member, Index, Wildcard, Filter, Token };
        Kind kind = Kind::Member;
        QString name;        // Member, Token
        qint64 index = 0;    // Index; negative counts from the end
        QStringList field;   // Filter: the member names after @
        QString text;        // Filter: the text compared with
    };

private:
    JsonPlace(QList<Step> steps, JsonPlaceError error, qsizetype errorPosition);
    std::optional<JsonFound> findFrom(const QJsonValue &value, qsizetype step, const QJsonValue &parent,
                                      const QString &path, const QString &symbol) const;
    std::optional<JsonFound> findInObject(const QJsonValue &value, qsizetype step, const QString &path,
                                          const QString &symbol) const;
    std::optional<JsonFound> findInArray(const QJsonValue &value, qsizetype step, const QString &path,
                                         const QString &symbol) const;

    QList<Step> m_steps;
    JsonPlaceError m_error = JsonPlaceError::None;
    qsizetype m_errorPosition = 0;
};
