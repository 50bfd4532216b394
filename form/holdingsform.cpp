#include "holdingsform.h"

#include "calculationstatus.h"
#include "outcomelook.h"

#include "allocationchart.h"
#include "allocationlegend.h"
#include "classselector.h"
#include "computedbox.h"
#include "controlids.h"
#include "dialogunits.h"
#include "statusline.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVariant>

namespace {

// The form's size in dialog units; the bottom strip below the last row holds
// the status line and the progress of a running calculation.
constexpr int FormWidth = 433;
constexpr int FormHeight = 410;
constexpr int BoxHeight = 12;
constexpr int LabelHeight = 8;

// The status area spans the rows' width below the last one; while running,
// the progress bar and Stop sit at its right end.
constexpr QRect StatusArea(7, 392, 419, 14);
constexpr int StatusGap = 4;
constexpr int ProgressWidth = 108;
constexpr int StopWidth = 49;

// Rows are 14 units apart except around row 15, which sits 12 below row 14
// and 12 above row 16.
constexpr int rowTop(int row)
{
    if (row <= 14)
        return 115 + 14 * row;
    if (row == 15)
        return 323;
    return 335 + 14 * (row - 16);
}

struct SummaryLine
{
    int labelY;
    int percentY;
    int percentSignY;
    int amountY;
};

constexpr std::array<SummaryLine, AssetClassCount> SummaryLines = {{
    {24, 21, 23, 23},
    {40, 37, 39, 40},
    {57, 54, 56, 54},
    {73, 70, 72, 69},
    {87, 84, 86, 84},
}};

QString rowName(int row, const char *what)
{
    return QStringLiteral("Row %1 %2").arg(row + 1).arg(QLatin1String(what));
}

} // namespace

HoldingsForm::HoldingsForm(QWidget *parent)
    : QWidget(parent)
{
    createHeadings();
    for (int row = 0; row < HoldingRowCount; ++row)
        createRow(row);
    createButtons();
    createSummary();
    createStatusArea();
    setTabOrder();
    layoutControls();
    for (const RowControls &row : m_rows) {
        for (QLineEdit *box : {row.name, row.symbol, row.shares})
            connect(box, &QLineEdit::textChanged, this, &HoldingsForm::rowsEdited);
        connect(row.assetClass, &QComboBox::currentIndexChanged, this, &HoldingsForm::rowsEdited);
    }
}

QWidget *HoldingsForm::control(int controlId) const
{
    for (const auto &[widget, units] : m_placed) {
        if (widget->property("controlId").toInt() == controlId)
            return widget;
    }
    return nullptr;
}

std::array<QPushButton *, 5> HoldingsForm::commandButtons() const
{
    return {m_finished, m_getProfile, m_saveProfile, m_calculate, m_rebalance};
}

void HoldingsForm::restoreControl(QWidget *control)
{
    control->setParent(this);
    layoutControls();
    control->show();
}

void HoldingsForm::showAllocation(const AllocationPicture &picture)
{
    m_chart->showPicture(picture);
    m_legend->showPicture(picture);
}

void HoldingsForm::setInputsLocked(bool locked)
{
    // A read-only box looks like an editable one: locked, the boxes take
    // the window's colour, so that typing refused is no surprise.
    QPalette lockedLook;
    lockedLook.setColor(QPalette::Base, lockedLook.color(QPalette::Window));
    for (const RowControls &row : m_rows) {
        for (QLineEdit *box : {row.name, row.symbol, row.shares}) {
            box->setReadOnly(locked);
            box->setPalette(locked ? lockedLook : QPalette());
        }
        row.assetClass->setEnabled(!locked);
    }
}

void HoldingsForm::setCalculating(bool calculating)
{
    setInputsLocked(calculating);
    for (QPushButton *command : {m_calculate, m_getProfile, m_saveProfile, m_rebalance})
        command->setEnabled(!calculating);
    setProgressShown(calculating);
    if (calculating) {
        m_quoteSourcesLink->hide();
        m_progress->setFormat(tr("%v of %m done"));
    }
}

void HoldingsForm::showRowOutcomes(const CalculationResult &result, const QDateTime &now)
{
    for (int r = 0; r < HoldingRowCount; ++r) {
        ComputedBox *box = valueBox(r);
        const RowOutcome outcome = result.outcome[r];
        // Named states for style sheets and tests.
        box->setProperty("unpriced", outcome == RowOutcome::Unpriced);
        box->setProperty("notLookedUp", outcome == RowOutcome::NotLookedUp);
        box->setProperty("lastKnown", outcome == RowOutcome::LastKnown);
        showRowLook(r, outcome);
        const QString note = rowQuoteNote(result, r, now);
        box->setNote(note);
        box->setAccessibleDescription(note);
    }
}

void HoldingsForm::showRowLook(int row, RowOutcome outcome) const
{
    valueBox(row)->setPalette(outcomePalette(outcome, QPalette()));
}

QSize HoldingsForm::sizeHint() const
{
    return DialogUnits(font()).size(FormWidth, FormHeight);
}

QSize HoldingsForm::minimumSizeHint() const
{
    return sizeHint();
}

void HoldingsForm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        layoutControls();
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

void HoldingsForm::createHeadings()
{
    addLabel(tr("Asset"), QRect(7, 102, 60, LabelHeight));
    addLabel(tr("Symbol"), QRect(141, 102, 60, LabelHeight));
    addLabel(tr("Shares"), QRect(221, 102, 50, LabelHeight));
    addLabel(tr("Asset Class"), QRect(280, 102, 50, LabelHeight));
    addLabel(tr("Value"), QRect(333, 102, 46, LabelHeight), Qt::AlignHCenter);
    // Two lines ending at the column's edge: on one it ran past the rows,
    // into the part a narrow window scrolls out of view.
    QLabel *percentHeading =
        addLabel(tr("Pct Portfolio"), QRect(368, 94, 40, 2 * LabelHeight + 2), Qt::AlignRight);
    percentHeading->setWordWrap(true);
    percentHeading->setAlignment(Qt::AlignRight | Qt::AlignBottom);
}

void HoldingsForm::createRow(int row)
{
    const ControlId::RowIds ids = ControlId::rowIds(row);
    const int y = rowTop(row);
    RowControls &controls = m_rows[row];

    controls.name = addBox(ids.name, rowName(row, "name"), QRect(7, y, 130, BoxHeight));
    controls.symbol = addBox(ids.symbol, rowName(row, "symbol"), QRect(142, y, 72, BoxHeight));
    controls.shares = addBox(ids.shares, rowName(row, "shares"), QRect(222, y, 53, BoxHeight));
    controls.shares->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *selector = new ClassSelector(this);
    selector->setEditable(false);
    for (const char *label : AssetClassLabels)
        selector->addItem(QString::fromLatin1(label));
    selector->setCurrentIndex(-1);
    identify(selector, ids.assetClass, rowName(row, "asset class"), QRect(278, y, 51, BoxHeight));
    controls.assetClass = selector;

    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    controls.value = addComputedBox(ids.value, rowName(row, "value"), QRect(333, y, 46, BoxHeight), right);
    controls.percent = addComputedBox(ids.percent, rowName(row, "percent of portfolio"),
                                      QRect(388, y, 20, BoxHeight), right);
}

void HoldingsForm::createButtons()
{
    m_finished = addButton(ControlId::Finished, tr("&Finished"), QRect(375, 11, 49, BoxHeight));
    m_getProfile = addButton(ControlId::GetProfile, tr("&Get Profile"), QRect(375, 28, 49, BoxHeight));
    m_saveProfile = addButton(ControlId::SaveProfile, tr("&Save Profile"), QRect(375, 44, 49, BoxHeight));
    m_calculate = addButton(ControlId::Calculate, tr("&Calculate"), QRect(375, 62, 49, BoxHeight));
    m_calculate->setDefault(true);
    m_rebalance = addButton(ControlId::Rebalance, tr("Re&balance..."), QRect(375, 80, 49, BoxHeight));
}

void HoldingsForm::createSummary()
{
    addLabel(tr("Fundtally"), QRect(70, 39, 50, LabelHeight));
    m_total = addComputedBox(ControlId::Total, tr("Total value"), QRect(55, 51, 75, 14),
                             Qt::AlignRight | Qt::AlignVCenter);

    // The free corner left of the class lines holds the chart, and the space
    // under the total its key.
    m_chart = new AllocationChart(this);
    place(m_chart, QRect(133, 3, 95, 97));
    m_legend = new AllocationLegend(this);
    place(m_legend, QRect(20, 70, 112, 30));

    addLabel(tr("Assset Allocation"), QRect(262, 7, 80, LabelHeight));
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass) {
        const SummaryLine &line = SummaryLines[assetClass];
        const QString label = QString::fromLatin1(AssetClassLabels[assetClass]);
        addLabel(label, QRect(230, line.labelY, 25, LabelHeight));
        m_classPercent[assetClass] =
            addComputedBox(ControlId::ClassPercent[assetClass], tr("%1 percent").arg(label),
                           QRect(256, line.percentY, 21, BoxHeight), Qt::AlignCenter);
        addLabel(QStringLiteral("%"), QRect(278, line.percentSignY, 10, LabelHeight));
        m_classAmount[assetClass] =
            addComputedBox(ControlId::ClassAmount[assetClass], tr("%1 amount").arg(label),
                           QRect(294, line.amountY, 66, BoxHeight), Qt::AlignRight | Qt::AlignVCenter);
    }
}

void HoldingsForm::createStatusArea()
{
    // The whole width under the rows; hidden parts give up their room.
    m_statusArea = new QWidget(this);
    place(m_statusArea, StatusArea);
    auto *layout = new QHBoxLayout(m_statusArea);
    layout->setContentsMargins(0, 0, 0, 0);

    m_status = new StatusLine(m_statusArea);
    m_status->setObjectName(QStringLiteral("statusLine"));
    layout->addWidget(m_status, 1);

    m_quoteSourcesLink = new StatusLink(tr("Prices need a quote source \u2014 choose one\u2026"), m_statusArea);
    m_quoteSourcesLink->hide();
    layout->addWidget(m_quoteSourcesLink);

    m_progress = new QProgressBar(m_statusArea);
    m_progress->setAccessibleName(tr("Calculation progress"));
    m_progress->setTextVisible(true);
    m_progress->hide();
    layout->addWidget(m_progress);

    m_stop = new QPushButton(tr("S&top"), m_statusArea);
    m_stop->setAutoDefault(false);
    m_stop->hide();
    layout->addWidget(m_stop);
}

void HoldingsForm::setProgressShown(bool shown)
{
    m_progress->setVisible(shown);
    m_stop->setVisible(shown);
}

void HoldingsForm::layoutStatusArea(const DialogUnits &units)
{
    m_statusArea->layout()->setSpacing(units.x(StatusGap));
    m_progress->setFixedSize(units.x(ProgressWidth), units.y(BoxHeight));
    m_stop->setFixedSize(units.x(StopWidth), units.y(BoxHeight));
}

void HoldingsForm::setTabOrder()
{
    // Row by row (name, symbol, shares, class), then the buttons.
    QWidget *previous = nullptr;
    auto chain = [&](QWidget *next) {
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (const RowControls &row : m_rows) {
        chain(row.name);
        chain(row.symbol);
        chain(row.shares);
        chain(row.assetClass);
    }
    chain(m_finished);
    chain(m_getProfile);
    chain(m_saveProfile);
    chain(m_calculate);
    chain(m_rebalance);
    chain(m_stop);
    chain(m_quoteSourcesLink);
}

QLabel *HoldingsForm::addLabel(const QString &text, const QRect &units, Qt::Alignment alignment)
{
    auto *label = new QLabel(text, this);
    label->setAlignment(alignment | Qt::AlignVCenter);
    place(label, units);
    return label;
}

void HoldingsForm::identify(QWidget *control, int controlId, const QString &accessibleName,
                            const QRect &units)
{
    control->setProperty("controlId", controlId);
    control->setAccessibleName(accessibleName);
    place(control, units);
}

QLineEdit *HoldingsForm::addBox(int controlId, const QString &accessibleName, const QRect &units)
{
    auto *box = new QLineEdit(this);
    identify(box, controlId, accessibleName, units);
    return box;
}

ComputedBox *HoldingsForm::addComputedBox(int controlId, const QString &accessibleName,
                                          const QRect &units, Qt::Alignment alignment)
{
    auto *box = new ComputedBox(this);
    identify(box, controlId, accessibleName, units);
    box->setAlignment(alignment);
    // Selectable with the mouse for copying, but out of the tab chain.
    box->setFocusPolicy(Qt::ClickFocus);
    return box;
}

QPushButton *HoldingsForm::addButton(int controlId, const QString &text, const QRect &units)
{
    auto *button = new QPushButton(text, this);
    button->setProperty("controlId", controlId);
    place(button, units);
    return button;
}

void HoldingsForm::place(QWidget *widget, const QRect &units)
{
    m_placed.emplace_back(widget, units);
}

void HoldingsForm::layoutControls()
{
    const DialogUnits units(font());
    for (const auto &[widget, rect] : m_placed) {
        // A control lent out is placed by its borrower's layout.
        if (widget->parentWidget() == this)
            widget->setGeometry(units.rect(rect.x(), rect.y(), rect.width(), rect.height()));
    }
    layoutStatusArea(units);
}
