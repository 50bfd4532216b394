#pragma once

#include <QLabel>

// The one-line status under the rows. A text wider than the line is drawn
// cut short with "…"; then its whole text is the tooltip and the accessible
// description. The accessible name is always the current text, and every
// new text is announced to assistive tools, a repeated one too.
class StatusLine : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLine(QWidget *parent = nullptr);

    void showStatus(const QString &text);
    // The text as drawn: elided when it does not fit.
    QString shownText() const;
    bool isElided() const;

    // The line takes what width the status area gives it, never its text's.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void refreshElision();
};
