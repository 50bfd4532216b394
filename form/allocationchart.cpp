#include "allocationchart.h"

#include <QChart>
#include <QEvent>
#include <QGraphicsLayout>
#include <QPieSeries>
#include <QPieSlice>

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
    m_series->setHoleSize(0.45);
    m_series->setPieSize(0.95);
    chart->addSeries(m_series);

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
    chart()->setTitle(picture.emptyText);
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
