#pragma once

#include <QLineEdit>

// A read-only box the program fills (a value, percentage or amount). When
// its text is wider than the box the leading digits stay in sight and the
// whole text is the tooltip, so nothing is clipped without a way to read it.
// A note about the value (why a row has no price) joins the tooltip.
class ComputedBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit ComputedBox(QWidget *parent = nullptr);

    void setNote(const QString &note);
    const QString &note() const { return m_note; }
    // The text is wider than the room the box gives it.
    bool isClipped() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void refresh();

    QString m_note;
};
