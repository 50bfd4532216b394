#pragma once

#include "answerlimits.h"

#include <QByteArrayView>
#include <QJsonValue>

// Why an answer could not be read as JSON.
enum class JsonAnswerFailure { None, NotJson, TooDeep };

struct JsonAnswer {
    QJsonValue root;
    JsonAnswerFailure failure = JsonAnswerFailure::None;
};

// How deeply arrays and objects nest in `text`, brackets inside strings
// not counted: 0 for a bare number or string. Stops counting past `limit`.
int jsonNesting(QByteArrayView text, int limit);

// The JSON value `body` holds, any value at the top, nested no deeper than
// AnswerLimits::kMaxJsonDepth; the depth is checked before parsing, since
// Qt's own limit is far deeper.
JsonAnswer readJsonAnswer(QByteArrayView body);
