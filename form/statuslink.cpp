#include "statuslink.h"

#include <QKeyEvent>

StatusLink::StatusLink(const QString &text, QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::RichText);
    setText(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()));
    setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(text);
    connect(this, &QLabel::linkActivated, this, &StatusLink::activated);
}

void StatusLink::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        event->accept();
        Q_EMIT activated();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}
