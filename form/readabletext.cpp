#include "readabletext.h"

#include <algorithm>
#include <cmath>

namespace {

// The red a light theme shows errors in.
constexpr QRgb kErrorRed = 0xB00020;
// Each step moves a colour this fraction of the way to black or white.
constexpr int kMixSteps = 20;

double channelLuminance(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double relativeLuminance(const QColor &color)
{
    return 0.2126 * channelLuminance(color.redF()) + 0.7152 * channelLuminance(color.greenF())
           + 0.0722 * channelLuminance(color.blueF());
}

QColor mixed(const QColor &from, const QColor &to, double toShare)
{
    const auto mix = [toShare](float a, float b) { return a + (b - a) * float(toShare); };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()),
                            mix(from.blueF(), to.blueF()));
}

} // namespace

double contrastRatio(const QColor &first, const QColor &second)
{
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor readableOn(const QColor &wanted, const QColor &background)
{
    const QColor opaque = wanted.alpha() == 255 ? wanted : mixed(background, wanted, wanted.alphaF());
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    const QColor toward = contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
    for (int step = 0; step <= kMixSteps; ++step) {
        const QColor candidate = mixed(opaque, toward, double(step) / kMixSteps);
        if (contrastRatio(candidate, background) >= MinTextContrast)
            return candidate.toRgb();
    }
    return toward;
}

QColor errorTextColor(const QPalette &palette)
{
    return readableOn(QColor(kErrorRed), palette.color(QPalette::Window));
}
