#include "messagetext.h"

namespace {

bool showsAsItIs(char32_t codePoint)
{
    if (!QChar::isPrint(codePoint))
        return false;
    const QChar::Category category = QChar::category(codePoint);
    return category != QChar::Separator_Line && category != QChar::Separator_Paragraph;
}

QString escape(char32_t codePoint)
{
    constexpr char32_t LastShortEscape = 0xFF;
    constexpr char32_t LastBmpCodePoint = 0xFFFF;
    if (codePoint <= LastShortEscape)
        return QStringLiteral("\\x%1").arg(uint(codePoint), 2, 16, QLatin1Char('0'));
    if (codePoint <= LastBmpCodePoint)
        return QStringLiteral("\\u%1").arg(uint(codePoint), 4, 16, QLatin1Char('0'));
    return QStringLiteral("\\U%1").arg(uint(codePoint), 8, 16, QLatin1Char('0'));
}

} // namespace

QString escapedForMessage(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    qsizetype at = 0;
    while (at < text.size()) {
        char32_t codePoint = text[at].unicode();
        qsizetype length = 1;
        if (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(text[at], text[at + 1]);
            length = 2;
        }
        if (showsAsItIs(codePoint))
            shown.append(text.sliced(at, length));
        else
            shown.append(escape(codePoint));
        at += length;
    }
    return shown;
}
