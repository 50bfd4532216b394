#include "outcomelook.h"

#include "classpalette.h"
#include "readabletext.h"

QPalette outcomePalette(RowOutcome outcome, const QPalette &theme)
{
    QPalette look = theme;
    switch (outcome) {
    case RowOutcome::Unpriced:
        look.setColor(QPalette::Base, ClassPalette::unpricedBackground());
        look.setColor(QPalette::Text, ClassPalette::unpricedText());
        break;
    case RowOutcome::NotLookedUp:
        // Greyed, not amber: no lookup failed, none was made. A theme's
        // placeholder grey is too faint for a value that is to be read.
        look.setColor(QPalette::Base, theme.color(QPalette::Window));
        look.setColor(QPalette::Text,
                      readableOn(theme.color(QPalette::PlaceholderText), theme.color(QPalette::Window)));
        break;
    case RowOutcome::LastKnown:
        look.setColor(QPalette::Base, ClassPalette::lastKnownBackground());
        look.setColor(QPalette::Text, ClassPalette::lastKnownText());
        break;
    case RowOutcome::NotHeld:
    case RowOutcome::Priced:
        break;
    }
    return look;
}
