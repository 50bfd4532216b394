#pragma once

#include <QString>

// Outside text quoted in a message is cut to this many characters.
inline constexpr qsizetype kMaxQuotedLength = 60;

// `text` in double quotes for a message, cut short with an ellipsis when long.
QString quotedText(const QString &text);
