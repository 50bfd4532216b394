#include "fittingform.h"

#include "dialogunits.h"
#include "holdingsform.h"
#include "windowfit.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// Dialog units of the form kept in view above the bar at the smallest: the
// headings and about three rows.
constexpr int SmallestViewHeight = 56;
constexpr int BarMargin = 4;
constexpr int BarGap = 4;
constexpr int StatusHeight = 14;

} // namespace

FittingForm::FittingForm(HoldingsForm *form, QWidget *parent)
    : QWidget(parent)
    , m_form(form)
    , m_scrollArea(new QScrollArea(this))
    , m_commandBar(new QWidget(this))
{
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setWidget(form);

    const DialogUnits units(font());
    auto *bar = new QVBoxLayout(m_commandBar);
    bar->setContentsMargins(units.x(BarMargin), units.y(BarMargin), units.x(BarMargin), units.y(BarMargin));
    bar->setSpacing(units.y(BarGap));
    m_buttonRow = new QHBoxLayout;
    m_buttonRow->setSpacing(units.x(BarGap));
    bar->addLayout(m_buttonRow);
    m_commandBar->setAccessibleName(tr("Commands"));
    m_commandBar->hide();
    m_form->statusArea()->setMinimumHeight(units.y(StatusHeight));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_scrollArea, 1);
    layout->addWidget(m_commandBar);

    m_scrolls = true;
    setScrolls(false);
    // The scroll area follows the Tab key by itself; focus given by a
    // mnemonic, a click on a label or a command is followed here.
    m_following = connect(qApp, &QApplication::focusChanged, this,
                          [this](QWidget *, QWidget *now) { keepInView(now); });
}

// The boxes give up the focus as QWidget's destructor deletes them, after
// this object's own part is gone: the connection must not outlive it.
FittingForm::~FittingForm()
{
    disconnect(m_following);
}

void FittingForm::setScrolls(bool scrolls)
{
    if (scrolls == m_scrolls)
        return;
    m_scrolls = scrolls;
    const Qt::ScrollBarPolicy bars = scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    m_scrollArea->setHorizontalScrollBarPolicy(bars);
    m_scrollArea->setVerticalScrollBarPolicy(bars);

    if (scrolls) {
        // The focus chain is the window's and stays as the form set it.
        for (QPushButton *button : m_form->commandButtons())
            m_buttonRow->addWidget(button);
        m_buttonRow->addStretch();
        static_cast<QBoxLayout *>(m_commandBar->layout())->addWidget(m_form->statusArea());
    } else {
        for (QPushButton *button : m_form->commandButtons())
            m_form->restoreControl(button);
        m_form->restoreControl(m_form->statusArea());
        while (QLayoutItem *stretch = m_buttonRow->takeAt(0))
            delete stretch;
    }
    m_commandBar->setVisible(scrolls);
    updateGeometry();
}

QSize FittingForm::designedSize() const
{
    return m_form->sizeHint();
}

// Worked out from the controls rather than the bar's layout, which holds
// them only while the form scrolls.
QSize FittingForm::barSize() const
{
    const DialogUnits units(font());
    int width = 0;
    int buttonHeight = 0;
    for (const QPushButton *button : m_form->commandButtons()) {
        width += button->sizeHint().width();
        buttonHeight = qMax(buttonHeight, button->sizeHint().height());
    }
    width += units.x(BarGap) * int(m_form->commandButtons().size() - 1);
    width = qMax(width, m_form->statusArea()->minimumSizeHint().width());
    const int height = buttonHeight + units.y(BarGap) + units.y(StatusHeight);
    return QSize(width + 2 * units.x(BarMargin), height + 2 * units.y(BarMargin));
}

QSize FittingForm::roomySize() const
{
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scrollArea);
    const QSize bar = barSize();
    return QSize(qMax(designedSize().width() + scrollBar, bar.width()),
                 designedSize().height() + bar.height());
}

QSize FittingForm::smallestSize() const
{
    const QSize bar = barSize();
    return QSize(bar.width(), bar.height() + DialogUnits(font()).y(SmallestViewHeight));
}

QSize FittingForm::sizeHint() const
{
    return m_scrolls ? roomySize() : designedSize();
}

QSize FittingForm::minimumSizeHint() const
{
    return m_scrolls ? smallestSize() : designedSize();
}

void FittingForm::keepInView(QWidget *focused)
{
    if (m_scrolls && focused && m_form->isAncestorOf(focused))
        m_scrollArea->ensureWidgetVisible(focused);
}

void FittingForm::fitWindowToScreen()
{
    QWidget &topLevel = *window();
    QWindow *handle = topLevel.windowHandle();
    QMargins frame = handle ? handle->frameMargins() : QMargins();
    if (frame.isNull())
        frame = EstimatedWindowFrame;
    const WindowFit fit = fitWindow(designedSize(), roomySize(), smallestSize(),
                                    topLevel.screen()->availableGeometry(), frame);
    setScrolls(fit.scrolls);
    if (fit.scrolls) {
        topLevel.setMinimumSize(smallestSize());
        topLevel.setMaximumSize(roomySize());
        topLevel.resize(fit.size);
    } else {
        topLevel.setFixedSize(fit.size);
    }
}
