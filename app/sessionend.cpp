#include "sessionend.h"

void askBeforeSessionEnds(SessionEnd &session, bool hasChanges, const std::function<bool()> &maySetAside)
{
    if (!hasChanges)
        return;
    // Without leave to ask nothing is saved: only the user chooses where.
    if (!session.allowsInteraction())
        return;
    const bool mayEnd = maySetAside();
    session.release();
    if (!mayEnd)
        session.cancel();
}
