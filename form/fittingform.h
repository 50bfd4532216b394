#pragma once

#include <QWidget>

class HoldingsForm;
class QBoxLayout;
class QScrollArea;

// The holdings form as the window shows it. Where the screen holds the form
// whole it is shown as designed. Where it does not, the form scrolls and
// its command buttons and status area move to a bar below it, so that they
// stay in view whatever is scrolled.
class FittingForm : public QWidget
{
    Q_OBJECT

public:
    explicit FittingForm(HoldingsForm *form, QWidget *parent = nullptr);
    ~FittingForm() override;

    HoldingsForm *form() const { return m_form; }
    QScrollArea *scrollArea() const { return m_scrollArea; }
    QWidget *commandBar() const { return m_commandBar; }

    bool scrolls() const { return m_scrolls; }
    void setScrolls(bool scrolls);

    // The form whole, as designed.
    QSize designedSize() const;
    // Scrolling, with nothing left to scroll.
    QSize roomySize() const;
    // Scrolling, with the bar and a few rows in view.
    QSize smallestSize() const;

    // Sizes the window, which holds this form alone, for the screen it is
    // on: the form whole where it fits, scrolling otherwise.
    void fitWindowToScreen();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    QSize barSize() const;
    void keepInView(QWidget *focused);

    HoldingsForm *m_form;
    QScrollArea *m_scrollArea;
    QWidget *m_commandBar;
    QBoxLayout *m_buttonRow;
    bool m_scrolls = false;
    QMetaObject::Connection m_following; // the focus, to keep it in view
};
