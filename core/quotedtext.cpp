#include "quotedtext.h"

QString quotedText(const QString &text)
{
    if (text.size() <= kMaxQuotedLength)
        return u'"' + text + u'"';
    return u'"' + text.left(kMaxQuotedLength) + QStringLiteral("\u2026\"");
}
