#pragma once

#include "assetclass.h"
#include "classselector.h"
#include "computedbox.h"
#include "statuslink.h"
#include "statusline.h"

#include <QRect>
#include <QWidget>

#include <array>
#include <vector>

class AllocationChart;
class QDateTime;
class AllocationLegend;
class DialogUnits;
struct AllocationPicture;
struct CalculationResult;
enum class RowOutcome;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// The holdings form: twenty rows of name, symbol, shares, asset class, value
// and percent, the allocation summary, the total and the command buttons,
// placed by the dialog-unit layout so the arrangement scales with the font.
// Every control carries its number as the "controlId" property.
class HoldingsForm : public QWidget
{
    Q_OBJECT

public:
    explicit HoldingsForm(QWidget *parent = nullptr);

    QLineEdit *nameBox(int row) const { return m_rows.at(row).name; }
    QLineEdit *symbolBox(int row) const { return m_rows.at(row).symbol; }
    QLineEdit *sharesBox(int row) const { return m_rows.at(row).shares; }
    ClassSelector *classSelector(int row) const { return m_rows.at(row).assetClass; }
    ComputedBox *valueBox(int row) const { return m_rows.at(row).value; }
    ComputedBox *percentBox(int row) const { return m_rows.at(row).percent; }

    ComputedBox *totalBox() const { return m_total; }
    ComputedBox *classPercentBox(int assetClass) const { return m_classPercent.at(assetClass); }
    ComputedBox *classAmountBox(int assetClass) const { return m_classAmount.at(assetClass); }

    QPushButton *finishedButton() const { return m_finished; }
    QPushButton *getProfileButton() const { return m_getProfile; }
    QPushButton *saveProfileButton() const { return m_saveProfile; }
    QPushButton *calculateButton() const { return m_calculate; }
    QPushButton *rebalanceButton() const { return m_rebalance; }

    AllocationChart *allocationChart() const { return m_chart; }
    AllocationLegend *allocationLegend() const { return m_legend; }
    void showAllocation(const AllocationPicture &picture);

    StatusLine *statusLabel() const { return m_status; }
    QProgressBar *progressBar() const { return m_progress; }
    QPushButton *stopButton() const { return m_stop; }
    // Shown while no quote source is set up; activating it asks for one.
    StatusLink *quoteSourcesLink() const { return m_quoteSourcesLink; }
    // The progress bar and Stop take their share of the status area while
    // a calculation runs.
    void setProgressShown(bool shown);

    // The control with the given number, or nullptr.
    QWidget *control(int controlId) const;

    // What must stay in view while the rows scroll: the command buttons in
    // their order down the form, and the status area with the progress.
    std::array<QPushButton *, 5> commandButtons() const;
    QWidget *statusArea() const { return m_statusArea; }
    // Puts a control that was lent to another widget back in its place on
    // the form.
    void restoreControl(QWidget *control);

    // Locks the rows' inputs while a calculation reads them.
    void setInputsLocked(bool locked);
    // While a calculation runs: the inputs locked, the commands but Stop and
    // Finished disabled, the progress shown and the quote sources link hidden.
    void setCalculating(bool calculating);
    // Each row's Value box marked by how its lookup ended, with where its
    // price came from, or why it has none, in its tooltip and accessible
    // description; `now` dates the prices.
    void showRowOutcomes(const CalculationResult &result, const QDateTime &now);
    // A row's Value box coloured for `outcome` alone, as its value comes in.
    void showRowLook(int row, RowOutcome outcome) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // A row's name, symbol, shares or class changed, by typing or by the
    // program.
    void rowsEdited();

protected:
    void changeEvent(QEvent *event) override;

private:
    struct RowControls
    {
        QLineEdit *name = nullptr;
        QLineEdit *symbol = nullptr;
        QLineEdit *shares = nullptr;
        ClassSelector *assetClass = nullptr;
        ComputedBox *value = nullptr;
        ComputedBox *percent = nullptr;
    };

    void createRow(int row);
    void createSummary();
    void createButtons();
    void createStatusArea();
    void createHeadings();
    void setTabOrder();
    QLabel *addLabel(const QString &text, const QRect &units, Qt::Alignment alignment = Qt::AlignLeft);
    QLineEdit *addBox(int controlId, const QString &accessibleName, const QRect &units);
    ComputedBox *addComputedBox(int controlId, const QString &accessibleName, const QRect &units,
                                Qt::Alignment alignment);
    void identify(QWidget *control, int controlId, const QString &accessibleName, const QRect &units);
    QPushButton *addButton(int controlId, const QString &text, const QRect &units);
    void place(QWidget *widget, const QRect &units);
    void layoutControls();
    void layoutStatusArea(const DialogUnits &units);

    std::array<RowControls, HoldingRowCount> m_rows;
    ComputedBox *m_total = nullptr;
    std::array<ComputedBox *, AssetClassCount> m_classPercent{};
    std::array<ComputedBox *, AssetClassCount> m_classAmount{};
    QPushButton *m_finished = nullptr;
    QPushButton *m_getProfile = nullptr;
    QPushButton *m_saveProfile = nullptr;
    QPushButton *m_calculate = nullptr;
    QPushButton *m_rebalance = nullptr;
    AllocationChart *m_chart = nullptr;
    AllocationLegend *m_legend = nullptr;
    QWidget *m_statusArea = nullptr;
    StatusLine *m_status = nullptr;
    StatusLink *m_quoteSourcesLink = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_stop = nullptr;

    // Each control with its place in dialog units.
    std::vector<std::pair<QWidget *, QRect>> m_placed;
};
