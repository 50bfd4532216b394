#include "commandmenu.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QShortcut>

CommandMenu::CommandMenu(QWidget *window)
    : QMenu(window)
    , m_window(window)
    , m_quoteSources(new QAction(tr("Quote &Sources..."), window))
    , m_currency(new QAction(tr("&Currency..."), window))
    , m_useLastKnown(new QAction(tr("Use &Last Known Prices"), window))
    , m_forgetPrices(new QAction(tr("&Forget Prices"), window))
    , m_about(new QAction(tr("&About Fundtally..."), window))
{
    setAccessibleName(tr("Commands"));
    // Ctrl+, is the usual key for a program's settings, and this is its only one.
    m_quoteSources->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_about->setShortcut(QKeySequence::HelpContents);
    m_useLastKnown->setCheckable(true);
    m_useLastKnown->setChecked(true);
    m_useLastKnown->setToolTip(tr("Value a holding whose lookup fails at the last price found for it"));
    m_currency->setToolTip(tr("Choose the currency every value is given in"));
    m_forgetPrices->setToolTip(tr("Forget every price kept from earlier calculations"));
    for (QAction *action : {m_quoteSources, m_currency, m_useLastKnown, m_forgetPrices, m_about}) {
        // The keys work from anywhere in the window, and the menu says which
        // they are, since nothing else does.
        action->setShortcutContext(Qt::WindowShortcut);
        action->setShortcutVisibleInContextMenu(true);
        window->addAction(action);
        addAction(action);
    }
    insertSeparator(m_useLastKnown);
    insertSeparator(m_about);

    // The desktop's keys for the menu of whatever has the focus; the boxes'
    // own menus are the mouse's, so the keys open the window's.
    auto *menuKeys = new QShortcut(window);
    menuKeys->setKeys({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
    menuKeys->setContext(Qt::WindowShortcut);
    connect(menuKeys, &QShortcut::activated, this, [this] { popup(focusedControlCorner()); });
}

void CommandMenu::popUpFor(const QContextMenuEvent *event)
{
    const bool byMouse = event->reason() == QContextMenuEvent::Mouse;
    popup(byMouse ? event->globalPos() : focusedControlCorner());
}

// The bottom-left corner of the part of the focused control in view, where
// a menu opened from the keyboard belongs.
QPoint CommandMenu::focusedControlCorner() const
{
    const QWidget *focused = m_window->focusWidget();
    if (!focused)
        return m_window->mapToGlobal(QPoint(0, 0));
    QRect shown = focused->visibleRegion().boundingRect();
    if (shown.isEmpty())
        shown = focused->rect();
    return focused->mapToGlobal(shown.bottomLeft() + QPoint(0, 1));
}
