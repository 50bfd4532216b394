#include "jsonanswer.h"

#include "answerlimits.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

int jsonNesting(QByteArrayView text, int limit)
{
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    for (qsizetype at = 0; at < text.size() && deepest <= limit; ++at) {
        const char c = text[at];
        if (inString) {
            if (c == '\\')
                ++at;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

JsonAnswer readJsonAnswer(QByteArrayView body)
{
    // A byte order mark, as some sites send, is not part of the value.
    constexpr QByteArrayView kByteOrderMark("\xef\xbb\xbf");
    if (body.startsWith(kByteOrderMark))
        body = body.sliced(kByteOrderMark.size());
    if (jsonNesting(body, AnswerLimits::kMaxJsonDepth) > AnswerLimits::kMaxJsonDepth)
        return {QJsonValue(QJsonValue::Undefined), JsonAnswerFailure::TooDeep};
    // QJsonDocument takes only an array or object at the top: the answer is
    // read as the one element of an array, which it is exactly when it is
    // one JSON value.
    QByteArray wrapped;
    wrapped.reserve(body.size() + 2);
    wrapped.append('[').append(body).append(']');
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(wrapped, &error);
    if (error.error != QJsonParseError::NoError || document.array().size() != 1)
        return {QJsonValue(QJsonValue::Undefined), JsonAnswerFailure::NotJson};
    return {document.array().at(0), JsonAnswerFailure::None};
}
