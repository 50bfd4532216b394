#pragma once

#include <QLabel>

// A link in the status area, followed with the mouse or, once it has the
// focus, with Enter, Return or Space.
class StatusLink : public QLabel
{
    Q_OBJECT

public:
    StatusLink(const QString &text, QWidget *parent = nullptr);

Q_SIGNALS:
    void activated();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
