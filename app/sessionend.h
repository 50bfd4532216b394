#pragma once

#include <functional>

// The desktop session ending while the window is open: the part of the
// session manager the window uses, so tests can stand in for it.
class SessionEnd
{
public:
    virtual ~SessionEnd() = default;
    // Whether the user may be asked now. When it answers true, release()
    // must follow once the asking is done.
    virtual bool allowsInteraction() = 0;
    virtual void release() = 0;
    // Keeps the session from ending.
    virtual void cancel() = 0;
};

// Asks about unsaved changes while the session allows it; the session goes
// on when the user keeps the rows (maySetAside() false).
void askBeforeSessionEnds(SessionEnd &session, bool hasChanges, const std::function<bool()> &maySetAside);
