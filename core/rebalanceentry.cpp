#include "rebalanceentry.h"

#include "amountformat.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Rebalance", text);
}

} // namespace

TypedTargets readTypedTargets(const TargetTexts &texts)
{
    TypedTargets typed;
    for (int c = 0; c < AssetClassCount; ++c) {
        const QString text = texts[c].trimmed();
        if (text.isEmpty())
            continue;
        typed.empty = false;
        const std::optional<double> percent = parseTargetPercent(text);
        if (percent)
            typed.percents[c] = *percent;
        else
            typed.readable = false;
    }
    return typed;
}

bool areAcceptableTargets(const TypedTargets &typed)
{
    return typed.empty || (typed.readable && areValidTargets(typed.percents));
}

AssetTargets keptTargets(const TypedTargets &typed, const AssetTargets &before)
{
    if (typed.empty)
        return std::nullopt;
    if (!areAcceptableTargets(typed))
        return before;
    return typed.percents;
}

QString targetSumText(const TypedTargets &typed)
{
    if (!typed.readable)
        return tr("Each target must be a percent from 0 to 100 with at most one decimal.");
    const QString sum = targetPercentText(targetSum(typed.percents));
    if (targetsAddUp(typed.percents))
        return tr("Targets add up to %1 %.").arg(sum);
    return tr("Targets add up to %1 %; they must add up to 100 %.").arg(sum);
}

RebalanceAdvice adviseRebalance(const RebalanceBasis &basis, const TypedTargets &typed,
                                QStringView amountText, RebalanceMode mode)
{
    RebalanceAdvice advice;
    advice.plan.problem = RebalanceProblem::InvalidTargets;
    if (!canAdvise(basis)) {
        advice.note = tr("Calculate first");
        return advice;
    }
    if (!typed.readable || !areValidTargets(typed.percents))
        return advice;   // the sum line says why

    const QStringView trimmed = amountText.trimmed();
    const std::optional<double> amount =
        trimmed.isEmpty() ? std::optional<double>(0.0) : parseAmountToInvest(trimmed);
    if (!amount) {
        advice.note = tr("The amount to invest must be a number from 0 to %1.")
                          .arg(FormatGroupedAmount(MaxAmountToInvest));
        advice.plan.problem = RebalanceProblem::InvalidAmount;
        return advice;
    }
    advice.plan = rebalance(basis.classAmount, typed.percents, *amount, mode);
    if (advice.plan.problem == RebalanceProblem::NoPositiveBase) {
        advice.note = tr("The classed holdings and the amount to invest add up to %1; "
                         "there is nothing to divide by the targets.")
                          .arg(FormatGroupedAmount(advice.plan.base));
    }
    return advice;
}
