#pragma once

#include "rebalanceentry.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// How far each asset class is from its target and what to buy or sell to get
// there, over the last calculation. The user edits the targets here; they
// are taken over when the dialog is accepted.
class RebalanceDialog : public QDialog
{
    Q_OBJECT

public:
    RebalanceDialog(const RebalanceBasis &basis, const AssetTargets &targets, QWidget *parent = nullptr);

    // The targets as typed, none when every target box is empty. While the
    // typed targets do not add up, the targets the dialog started with.
    AssetTargets targets() const;
    // Every box empty (no targets) or targets that add up to 100.
    bool hasAcceptableTargets() const;

    QLineEdit *targetBox(int assetClass) const { return m_lines.at(assetClass).target; }
    QLabel *amountLabel(int assetClass) const { return m_lines.at(assetClass).amount; }
    QLabel *percentLabel(int assetClass) const { return m_lines.at(assetClass).percent; }
    QLabel *targetAmountLabel(int assetClass) const { return m_lines.at(assetClass).targetAmount; }
    QLabel *differenceLabel(int assetClass) const { return m_lines.at(assetClass).difference; }
    QLabel *sumLabel() const { return m_sum; }
    QLineEdit *amountToInvestBox() const { return m_amountToInvest; }
    QCheckBox *buyOnlyBox() const { return m_buyOnly; }
    // "Calculate first", or why the amount to invest gives no advice.
    QLabel *adviceLabel() const { return m_advice; }
    QLabel *coverageLabel() const { return m_coverage; }
    QLabel *unclassedLabel() const { return m_unclassed; }
    QLabel *lastKnownLabel() const { return m_lastKnown; }
    QPushButton *okButton() const { return m_ok; }

    void accept() override;

private:
    struct ClassLine
    {
        QLabel *amount = nullptr;
        QLabel *percent = nullptr;
        QLineEdit *target = nullptr;
        QLabel *targetAmount = nullptr;
        QLabel *difference = nullptr;
    };

    TypedTargets typedTargets() const;
    void createClassLines(QGridLayout *grid);
    QLabel *addValue(QGridLayout *grid, int row, int column, const QString &accessibleName);
    QLabel *addNote(const QString &accessibleName);
    void refresh();
    static void showNote(QLabel *label, const QString &note);
    void showPlan(const RebalancePlan &plan);

    const RebalanceBasis m_basis;
    const AssetTargets m_startTargets;
    std::array<ClassLine, AssetClassCount> m_lines;
    QLabel *m_sum = nullptr;
    QLineEdit *m_amountToInvest = nullptr;
    QCheckBox *m_buyOnly = nullptr;
    QLabel *m_advice = nullptr;
    QLabel *m_coverage = nullptr;
    QLabel *m_unclassed = nullptr;
    QLabel *m_lastKnown = nullptr;
    QPushButton *m_ok = nullptr;
};
