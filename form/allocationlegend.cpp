#include "allocationlegend.h"

namespace {

constexpr int Columns = 2;
// A key taller than its room (a caption over three lines of entries) is
// drawn smaller rather than cut, in steps of this share of the form's font
// down to the smallest share.
constexpr int FontShareStepPercent = 5;
constexpr int SmallestFontSharePercent = 70;

QString entry(const AllocationSlice &slice)
{
    return QStringLiteral("<td><span style=\"color:%1\">&#9632;</span>&nbsp;%2</td>")
        .arg(slice.color.name(), slice.label.toHtmlEscaped());
}

} // namespace

AllocationLegend::AllocationLegend(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::RichText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAccessibleName(tr("Asset allocation chart key"));
}

void AllocationLegend::showPicture(const AllocationPicture &picture)
{
    QString rows;
    for (qsizetype i = 0; i < picture.slices.size(); i += Columns) {
        rows += QStringLiteral("<tr>");
        for (qsizetype j = i; j < qMin(i + Columns, picture.slices.size()); ++j)
            rows += entry(picture.slices.at(j));
        rows += QStringLiteral("</tr>");
    }
    if (const QString heading = legendHeading(picture); !rows.isEmpty() && !heading.isEmpty()) {
        rows.prepend(QStringLiteral("<tr><td colspan=\"%1\"><b>%2</b></td></tr>")
                         .arg(Columns)
                         .arg(heading.toHtmlEscaped()));
    }
    setText(rows.isEmpty() ? QString()
                           : QStringLiteral("<table cellspacing=\"1\">%1</table>").arg(rows));
    setToolTip(picture.toolTip);
    setAccessibleDescription(legendText(picture));
    fitText();
}

void AllocationLegend::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    fitText();
}

void AllocationLegend::fitText()
{
    const QFont base = parentWidget() ? parentWidget()->font() : QFont();
    if (base.pointSizeF() <= 0)
        return;
    QFont shown = base;
    for (int share = 100; share >= SmallestFontSharePercent; share -= FontShareStepPercent) {
        shown.setPointSizeF(base.pointSizeF() * share / 100.0);
        setFont(shown);
        if (heightForWidth(width()) <= height())
            return;
    }
}
