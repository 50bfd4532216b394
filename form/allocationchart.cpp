#include "allocationchart.h"

#include <QChart>
#include <QEvent>
#include <QGraphicsLayout>
#include <QPieSeries>
#include <QPieSlice>

namespace {

// Sizes relative to the chart: the donut shrinks to leave room for the ring
// of targets outside it.
constexpr double DonutSize = 0.95;
constexpr double DonutSizeInsideRing = 0.78;
constexpr double DonutHoleSize = 0.45;
constexpr double RingSize = 0.95;
constexpr double RingHoleSize = 0.84;

} // namespace

// The view owns a chart handed to its constructor; one set later with
// setChart() would leave the view's own default chart behind.
AllocationChart::AllocationChart(QWidget *parent)
    : QChartView(new QChart, parent)
{
    QChart *const chart = this->chart();
    chart->setBackgroundVisible(false);
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->legend()->hide();

    m_series = new QPieSeries(chart);
    m_series->setHoleSize(DonutHoleSize);
    m_series->setPieSize(DonutSize);
    chart->addSeries(m_series);

    m_targetRing = new QPieSeries(chart);
    m_targetRing->setHoleSize(RingHoleSize);
    m_targetRing->setPieSize(RingSize);
    chart->addSeries(m_targetRing);

    setRenderHint(QPainter::Antialiasing);
    setFrameShape(QFrame::NoFrame);
    // A picture only: keep it out of the form's tab chain.
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QStringLiteral("background: transparent"));
    setAccessibleName(tr("Asset allocation chart"));
    applyThemeColors();
    showPicture(allocationPicture({}, {}, 0.0));
}

void AllocationChart::showPicture(const AllocationPicture &picture)
{
    m_picture = picture;
    m_series->clear();
    for (const AllocationSlice &part : picture.slices) {
        QPieSlice *slice = m_series->append(part.label, part.amount);
        slice->setColor(part.color);
        slice->setBorderColor(palette().color(QPalette::Window));
    }
    m_targetRing->clear();
    for (const AllocationSlice &part : picture.targetRing) {
        QPieSlice *slice = m_targetRing->append(part.label, part.amount);
        slice->setColor(part.color);
        slice->setBorderColor(palette().color(QPalette::Window));
    }
    m_series->setPieSize(picture.targetRing.isEmpty() ? DonutSize : DonutSizeInsideRing);
    chart()->setTitle(chartTitle(picture));
    setToolTip(picture.toolTip);
}

void AllocationChart::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        applyThemeColors();
        showPicture(m_picture);
    }
    QChartView::changeEvent(event);
}

void AllocationChart::applyThemeColors()
{
    const QColor text = palette().color(QPalette::WindowText);
    chart()->setTitleBrush(text);
    chart()->setTitleFont(font());
}
