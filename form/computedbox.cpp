#include "computedbox.h"

#include <QEvent>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// QLineEdit keeps this many pixels free on each side of its text.
constexpr int LineEditTextMargin = 2;
// A plain tooltip is one line however long; a note is broken into lines of
// at most this many characters (a longer word keeps its own line).
constexpr qsizetype ToolTipLineChars = 60;

QString wrapped(const QString &text)
{
    QStringList lines;
    QString line;
    for (const QString &word : text.split(u' ')) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > ToolTipLineChars) {
            lines << line;
            line.clear();
        }
        line += line.isEmpty() ? word : u' ' + word;
    }
    lines << line;
    return lines.join(u'\n');
}

} // namespace

ComputedBox::ComputedBox(QWidget *parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    connect(this, &QLineEdit::textChanged, this, &ComputedBox::refresh);
}

void ComputedBox::setNote(const QString &note)
{
    m_note = note;
    refresh();
}

bool ComputedBox::isClipped() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents =
        style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
    return fontMetrics().horizontalAdvance(text()) > contents.width() - 2 * LineEditTextMargin;
}

void ComputedBox::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    refresh();
}

void ComputedBox::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        refresh();
}

void ComputedBox::refresh()
{
    const bool clipped = isClipped();
    // A box scrolls to its cursor; at the start it shows the leading digits,
    // which say most about an amount.
    if (clipped)
        setCursorPosition(0);
    QStringList lines;
    if (clipped)
        lines << text();
    if (!m_note.isEmpty())
        lines << wrapped(m_note);
    setToolTip(lines.join(QLatin1Char('\n')));
}
