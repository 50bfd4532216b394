#include "windowfit.h"

WindowFit fitWindow(const QSize &designed, const QSize &roomy, const QSize &smallest,
                    const QRect &available, const QMargins &frame)
{
    const QSize room = available.size().shrunkBy(frame);
    if (designed.width() <= room.width() && designed.height() <= room.height())
        return WindowFit{false, designed};
    return WindowFit{true, roomy.boundedTo(room).expandedTo(smallest)};
}
