#include "statusline.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

StatusLine::StatusLine(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void StatusLine::showStatus(const QString &text)
{
    setText(text);
    // Setting the name sends the name-change event even for the same text,
    // so a screen reader announces every finished calculation.
    setAccessibleName(text);
    refreshElision();
}

QString StatusLine::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

bool StatusLine::isElided() const
{
    return shownText() != text();
}

QSize StatusLine::sizeHint() const
{
    return {0, QLabel::sizeHint().height()};
}

QSize StatusLine::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

void StatusLine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()),
                          palette(), isEnabled(), shownText(), foregroundRole());
}

void StatusLine::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    refreshElision();
}

void StatusLine::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        refreshElision();
}

void StatusLine::refreshElision()
{
    const QString whole = isElided() ? text() : QString();
    if (toolTip() != whole)
        setToolTip(whole);
    if (accessibleDescription() != whole)
        setAccessibleDescription(whole);
}
