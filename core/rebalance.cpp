#include "rebalance.h"

#include "amountformat.h"

#include <QCoreApplication>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Rebalance", text);
}

// Spends `money` so that the largest remaining shortfall is as small as
// possible: the most short class is filled up to the next most short, then
// both together, and so on. That is a water level L with
// sum over classes of max(0, shortfall - L) = money. The base includes the
// money, so the shortfalls add up to the money and the classes over target
// only make them larger: the money never runs past every target, and when it
// just reaches them (L = 0) every class ends on its target.
ClassAmounts waterFill(const ClassAmounts &shortfall, double money)
{
    std::array<int, AssetClassCount> order{};
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&shortfall](int a, int b) { return shortfall[a] > shortfall[b]; });

    double level = 0.0;
    double filled = 0.0;   // sum of the shortfalls of the classes being filled
    for (int count = 1; count <= AssetClassCount; ++count) {
        const double own = shortfall[order[count - 1]];
        if (own <= 0.0)
            break;
        filled += own;
        const double next = count < AssetClassCount ? std::max(0.0, shortfall[order[count]]) : 0.0;
        const double candidate = (filled - money) / count;
        if (candidate >= next) {
            level = candidate;
            break;
        }
    }

    ClassAmounts buy{};
    for (int c = 0; c < AssetClassCount; ++c)
        buy[c] = std::max(0.0, shortfall[c] - level);
    return buy;
}

bool isAmountToInvest(double amount)
{
    return std::isfinite(amount) && amount >= 0.0 && amount <= MaxAmountToInvest;
}

// A plain decimal: digits with at most one point, at least one digit, no sign
// and no exponent.
std::optional<double> parsePlainDecimal(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    int digits = 0;
    int points = 0;
    for (const QChar c : trimmed) {
        if (c.unicode() >= u'0' && c.unicode() <= u'9')
            ++digits;
        else if (c == u'.')
            ++points;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    const QByteArray chars = trimmed.toLatin1();
    double value = 0.0;
    const char *const last = chars.constData() + chars.size();
    const auto [end, error] = std::from_chars(chars.constData(), last, value);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

} // namespace

RebalancePlan rebalance(const ClassAmounts &now, const TargetPercents &targets,
                        double amountToInvest, RebalanceMode mode)
{
    RebalancePlan plan;
    if (!areValidTargets(targets)) {
        plan.problem = RebalanceProblem::InvalidTargets;
        return plan;
    }
    if (!isAmountToInvest(amountToInvest)) {
        plan.problem = RebalanceProblem::InvalidAmount;
        return plan;
    }
    plan.base = std::accumulate(now.cbegin(), now.cend(), amountToInvest);
    // Shares of nothing, or of a net short position, give no sensible advice.
    if (!std::isfinite(plan.base) || plan.base <= 0.0) {
        plan.problem = RebalanceProblem::NoPositiveBase;
        return plan;
    }

    ClassAmounts shortfall{};
    for (int c = 0; c < AssetClassCount; ++c) {
        plan.targetAmount[c] = plan.base * targets[c] / 100.0;
        shortfall[c] = plan.targetAmount[c] - now[c];
    }
    plan.difference = mode == RebalanceMode::Full ? shortfall
                                                  : waterFill(shortfall, amountToInvest);
    return plan;
}

QString differenceText(double difference)
{
    const qint64 whole = truncateToInteger(difference);
    if (whole > 0)
        return tr("Buy %1").arg(FormatGroupedAmount(difference));
    if (whole < 0)
        return tr("Sell %1").arg(FormatGroupedAmount(-difference));
    return QStringLiteral("\u2014");
}

QString targetPercentText(double percent)
{
    return QString::number(roundedTargetPercent(percent), 'g', 15);
}

std::optional<double> parseTargetPercent(QStringView text)
{
    const std::optional<double> percent = parsePlainDecimal(text);
    if (!percent || !isTargetPercent(*percent))
        return std::nullopt;
    return percent;
}

std::optional<double> parseAmountToInvest(QStringView text)
{
    const std::optional<double> amount = parsePlainDecimal(text);
    if (!amount || !isAmountToInvest(*amount))
        return std::nullopt;
    return amount;
}
