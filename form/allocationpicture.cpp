#include "allocationpicture.h"

#include "amountformat.h"
#include "classpalette.h"
#include "rebalance.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("AllocationChart", text);
}

QString toolTipFor(const AllocationPicture &picture)
{
    QStringList lines;
    for (const AllocationSlice &slice : picture.slices)
        lines << QStringLiteral("%1: %2").arg(slice.label, FormatGroupedAmount(slice.amount));
    if (!picture.leftOut.isEmpty())
        lines << tr("Left out (negative): %1").arg(picture.leftOut.join(QStringLiteral(", ")));
    return lines.join(QLatin1Char('\n'));
}

QList<AllocationSlice> targetRingFor(const TargetPercents &targets)
{
    QList<AllocationSlice> ring;
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass) {
        if (targets[assetClass] <= 0.0)
            continue;
        const QString name = QString::fromLatin1(AssetClassLabels[assetClass]);
        ring.append({assetClass, tr("%1 target %2 %").arg(name, targetPercentText(targets[assetClass])),
                     targets[assetClass], ClassPalette::classColor(assetClass)});
    }
    return ring;
}

// With targets, every class that is held or has a target gets a line that
// sets the two side by side.
QString targetsToolTip(const std::array<double, AssetClassCount> &classSums,
                       const std::array<qint64, AssetClassCount> &classPercents,
                       const TargetPercents &targets, const QStringList &leftOut)
{
    QStringList lines;
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass) {
        if (classSums[assetClass] <= 0.0 && targets[assetClass] <= 0.0)
            continue;
        lines << tr("%1 %2 % (target %3 %): %4")
                     .arg(QString::fromLatin1(AssetClassLabels[assetClass]))
                     .arg(classPercents[assetClass])
                     .arg(targetPercentText(targets[assetClass]), FormatGroupedAmount(classSums[assetClass]));
    }
    if (!leftOut.isEmpty())
        lines << tr("Left out (negative): %1").arg(leftOut.join(QStringLiteral(", ")));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

AllocationPicture allocationPicture(const std::array<double, AssetClassCount> &classSums,
                                    const std::array<qint64, AssetClassCount> &classPercents,
                                    double total, const AssetTargets &targets)
{
    AllocationPicture picture;
    if (targets) {
        picture.targetRing = targetRingFor(*targets);
        picture.toolTip = targetsToolTip(classSums, classPercents, *targets, {});
    }
    if (total == 0.0) {
        picture.emptyText = tr("No holdings priced");
        return picture;
    }
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass) {
        const double amount = classSums[assetClass];
        const QString name = QString::fromLatin1(AssetClassLabels[assetClass]);
        if (amount > 0.0) {
            picture.slices.append({assetClass,
                                   QStringLiteral("%1 %2%").arg(name).arg(classPercents[assetClass]),
                                   amount, ClassPalette::classColor(assetClass)});
        } else if (amount < 0.0) {
            picture.leftOut.append(QStringLiteral("%1 %2").arg(name, FormatGroupedAmount(amount)));
        }
    }
    if (picture.slices.isEmpty())
        picture.emptyText = tr("No asset class to chart");
    picture.toolTip = targets ? targetsToolTip(classSums, classPercents, *targets, picture.leftOut)
                              : toolTipFor(picture);
    return picture;
}

void markPartial(AllocationPicture &picture, const QString &why)
{
    picture.caption = tr("partial");
    const QString line = tr("Partial: %1").arg(why.isEmpty() ? tr("the calculation was stopped") : why);
    picture.toolTip = picture.toolTip.isEmpty() ? line : QStringLiteral("%1\n%2").arg(line, picture.toolTip);
}

void markLastKnown(AllocationPicture &picture)
{
    const QString mark = tr("with last known prices");
    picture.caption = picture.caption.isEmpty() ? mark : QStringLiteral("%1, %2").arg(picture.caption, mark);
    const QString line = tr("Some holdings are valued at their last known price");
    picture.toolTip = picture.toolTip.isEmpty() ? line : QStringLiteral("%1\n%2").arg(line, picture.toolTip);
}

void markCurrency(AllocationPicture &picture, const QString &currency)
{
    if (currency.isEmpty() || picture.slices.isEmpty())
        return;
    picture.currency = currency;
}

void addNoClass(AllocationPicture &picture, double amount, qint64 percent)
{
    if (amount <= 0.0)
        return;
    // Holdings in no class are still something to chart.
    picture.emptyText.clear();
    const AllocationSlice slice{NoAssetClass, tr("No class %1%").arg(percent), amount,
                                ClassPalette::noClassColor()};
    picture.slices.append(slice);
    const QString line = QStringLiteral("%1: %2").arg(slice.label, FormatGroupedAmount(amount));
    picture.toolTip = picture.toolTip.isEmpty() ? line : QStringLiteral("%1\n%2").arg(picture.toolTip, line);
}

QString chartTitle(const AllocationPicture &picture)
{
    if (picture.caption.isEmpty())
        return picture.emptyText;
    if (picture.emptyText.isEmpty())
        return picture.caption;
    return QStringLiteral("%1 (%2)").arg(picture.emptyText, picture.caption);
}

QString legendHeading(const AllocationPicture &picture)
{
    QStringList parts;
    if (!picture.currency.isEmpty())
        parts << tr("In %1").arg(picture.currency);
    if (!picture.caption.isEmpty())
        parts << picture.caption;
    return parts.join(QStringLiteral(", "));
}

QString legendText(const AllocationPicture &picture)
{
    QStringList entries;
    if (const QString heading = legendHeading(picture); !heading.isEmpty())
        entries << heading;
    for (const AllocationSlice &slice : picture.slices)
        entries << slice.label;
    if (picture.slices.isEmpty() && !picture.emptyText.isEmpty())
        entries << picture.emptyText;
    return entries.join(QStringLiteral(", "));
}
