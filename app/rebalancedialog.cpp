#include "rebalancedialog.h"

#include "amountformat.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

enum Column { ClassColumn, AmountColumn, PercentColumn, TargetColumn, TargetSignColumn,
              TargetAmountColumn, DifferenceColumn };

// Shown where there is nothing to say.
QString dash()
{
    return QStringLiteral("\u2014");
}

// A heading or label over amounts, naming their currency when known.
QString inCurrency(const QString &text, const QString &currency)
{
    return currency.isEmpty() ? text : RebalanceDialog::tr("%1 (%2)").arg(text, currency);
}

QString className(int assetClass)
{
    return QString::fromLatin1(AssetClassLabels[assetClass]);
}

} // namespace

RebalanceDialog::RebalanceDialog(const RebalanceBasis &basis, const AssetTargets &targets, QWidget *parent)
    : QDialog(parent)
    , m_basis(basis)
    , m_startTargets(targets)
{
    setWindowTitle(tr("Rebalance"));

    auto *grid = new QGridLayout;
    createClassLines(grid);

    m_sum = addNote(tr("Sum of the targets"));

    auto *amountLabel = new QLabel(inCurrency(tr("Amount to &invest"), m_basis.currency), this);
    m_amountToInvest = new QLineEdit(QStringLiteral("0"), this);
    m_amountToInvest->setAccessibleName(tr("Amount to invest"));
    m_amountToInvest->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_amountToInvest->setValidator(
        new QRegularExpressionValidator(QRegularExpression(AmountTypingPattern.toString()), m_amountToInvest));
    amountLabel->setBuddy(m_amountToInvest);
    m_buyOnly = new QCheckBox(tr("&Buy only"), this);
    m_buyOnly->setAccessibleName(tr("Buy only"));
    m_buyOnly->setToolTip(tr("Spend the amount to invest on the classes furthest below their "
                             "targets and never sell"));
    auto *money = new QHBoxLayout;
    money->addWidget(amountLabel);
    money->addWidget(m_amountToInvest);
    money->addSpacing(12);
    money->addWidget(m_buyOnly);
    money->addStretch();

    m_advice = addNote(tr("Advice"));
    m_coverage = addNote(tr("Holdings left unpriced"));
    m_unclassed = addNote(tr("Holdings without a class"));
    m_lastKnown = addNote(tr("Holdings at their last known price"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // Alt+O presses OK even from a box, whatever the desktop's theme calls
    // the buttons; Cancel is Escape.
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    m_ok = buttons->button(QDialogButtonBox::Ok);
    // Enter takes the targets over; while they do not add up the button is
    // disabled and Enter does nothing.
    m_ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &RebalanceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RebalanceDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_sum);
    layout->addLayout(money);
    layout->addWidget(m_advice);
    layout->addWidget(m_coverage);
    layout->addWidget(m_unclassed);
    layout->addWidget(m_lastKnown);
    layout->addWidget(buttons);

    // The focus chain follows the order of creation: the five targets, the
    // amount, buy only, then the buttons.
    for (const ClassLine &line : m_lines)
        connect(line.target, &QLineEdit::textChanged, this, &RebalanceDialog::refresh);
    connect(m_amountToInvest, &QLineEdit::textChanged, this, &RebalanceDialog::refresh);
    connect(m_buyOnly, &QCheckBox::toggled, this, &RebalanceDialog::refresh);
    refresh();
    targetBox(0)->setFocus(Qt::OtherFocusReason);
}

AssetTargets RebalanceDialog::targets() const
{
    return keptTargets(typedTargets(), m_startTargets);
}

bool RebalanceDialog::hasAcceptableTargets() const
{
    return areAcceptableTargets(typedTargets());
}

void RebalanceDialog::accept()
{
    if (hasAcceptableTargets())
        QDialog::accept();
}

TypedTargets RebalanceDialog::typedTargets() const
{
    TargetTexts texts;
    for (int c = 0; c < AssetClassCount; ++c)
        texts[c] = targetBox(c)->text();
    return readTypedTargets(texts);
}

void RebalanceDialog::createClassLines(QGridLayout *grid)
{
    const auto heading = [this, grid](const QString &text, int column) {
        auto *label = new QLabel(text, this);
        label->setAlignment(column == ClassColumn ? Qt::AlignLeft : Qt::AlignRight);
        grid->addWidget(label, 0, column);
        return label;
    };
    heading(tr("Class"), ClassColumn);
    heading(inCurrency(tr("Now"), m_basis.currency), AmountColumn);
    QLabel *targetHeading = heading(tr("&Target"), TargetColumn);
    heading(inCurrency(tr("Target amount"), m_basis.currency), TargetAmountColumn);
    heading(inCurrency(tr("Buy or sell"), m_basis.currency), DifferenceColumn);

    const QRegularExpression targetPattern(TargetTypingPattern.toString());
    for (int c = 0; c < AssetClassCount; ++c) {
        const int row = c + 1;
        const QString name = className(c);
        ClassLine &line = m_lines[c];
        grid->addWidget(new QLabel(name, this), row, ClassColumn);
        line.amount = addValue(grid, row, AmountColumn, tr("%1 amount now").arg(name));
        line.percent = addValue(grid, row, PercentColumn, tr("%1 percent now").arg(name));

        line.target = new QLineEdit(this);
        line.target->setAccessibleName(tr("%1 target percent").arg(name));
        line.target->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        line.target->setValidator(new QRegularExpressionValidator(targetPattern, line.target));
        line.target->setMaximumWidth(line.target->fontMetrics().horizontalAdvance(QStringLiteral("0000.00")));
        if (m_startTargets)
            line.target->setText(targetPercentText((*m_startTargets)[c]));
        grid->addWidget(line.target, row, TargetColumn);
        grid->addWidget(new QLabel(QStringLiteral("%"), this), row, TargetSignColumn);

        line.targetAmount = addValue(grid, row, TargetAmountColumn, tr("%1 target amount").arg(name));
        line.difference = addValue(grid, row, DifferenceColumn, tr("%1 buy or sell").arg(name));
    }
    targetHeading->setBuddy(targetBox(0));
    grid->setColumnMinimumWidth(DifferenceColumn, fontMetrics().horizontalAdvance(tr("Sell 999,999,999")));
}

QLabel *RebalanceDialog::addValue(QGridLayout *grid, int row, int column, const QString &accessibleName)
{
    auto *label = new QLabel(this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setAccessibleName(accessibleName);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(label, row, column);
    return label;
}

QLabel *RebalanceDialog::addNote(const QString &accessibleName)
{
    auto *label = new QLabel(this);
    label->setAccessibleName(accessibleName);
    label->setWordWrap(true);
    return label;
}

void RebalanceDialog::refresh()
{
    const TypedTargets typed = typedTargets();
    m_sum->setText(targetSumText(typed));
    m_ok->setEnabled(areAcceptableTargets(typed));

    const bool calculated = m_basis.calculated;
    for (int c = 0; c < AssetClassCount; ++c) {
        m_lines[c].amount->setText(calculated ? FormatGroupedAmount(m_basis.classAmount[c]) : dash());
        m_lines[c].percent->setText(calculated ? tr("%1 %").arg(m_basis.classPercent[c]) : dash());
    }
    const RebalanceMode mode = m_buyOnly->isChecked() ? RebalanceMode::BuyOnly : RebalanceMode::Full;
    const RebalanceAdvice advice = adviseRebalance(m_basis, typed, m_amountToInvest->text(), mode);
    showPlan(advice.plan);
    showNote(m_advice, advice.note);
    showNote(m_coverage, coverageWarning(m_basis));
    showNote(m_unclassed, unclassedNote(m_basis));
    showNote(m_lastKnown, lastKnownPricesNote(m_basis));
}

void RebalanceDialog::showNote(QLabel *label, const QString &note)
{
    label->setText(note);
    label->setHidden(note.isEmpty());
}

void RebalanceDialog::showPlan(const RebalancePlan &plan)
{
    const bool shown = plan.problem == RebalanceProblem::None;
    for (int c = 0; c < AssetClassCount; ++c) {
        m_lines[c].targetAmount->setText(shown ? FormatGroupedAmount(plan.targetAmount[c]) : dash());
        m_lines[c].difference->setText(shown ? differenceText(plan.difference[c]) : dash());
    }
}
