#pragma once

#include <QMenu>

class QContextMenuEvent;

// The menu of the window's background: the commands that have no button
// (the quote sources, the report currency, the last known prices, the About
// box), with their keys, which work anywhere in the window. The right mouse
// button, Shift+F10 and the Menu key open it.
class CommandMenu : public QMenu
{
    Q_OBJECT

public:
    explicit CommandMenu(QWidget *window);

    QAction *quoteSourcesAction() const { return m_quoteSources; }
    QAction *currencyAction() const { return m_currency; }
    QAction *aboutAction() const { return m_about; }
    // Checked while a failed lookup is valued at its last known price.
    QAction *useLastKnownAction() const { return m_useLastKnown; }
    QAction *forgetPricesAction() const { return m_forgetPrices; }

    // Opens at the mouse, or, opened from the keyboard, at the control with
    // the focus. Shown, not run: the window's own loop keeps going.
    void popUpFor(const QContextMenuEvent *event);

private:
    QPoint focusedControlCorner() const;

    QWidget *m_window;
    QAction *m_quoteSources;
    QAction *m_currency;
    QAction *m_useLastKnown;
    QAction *m_forgetPrices;
    QAction *m_about;
};
