#pragma once

#include "assettargets.h"
#include "dialogservices.h"
#include "formfields.h"
#include "openprofile.h"
#include "holding.h"
#include "rebalancebasis.h"
#include "rowtable.h"
#include "savechangesquestion.h"

#include <QDialog>
#include <QIcon>

#include <memory>

class CommandMenu;
class FittingForm;
class FormCalculation;
class HoldingsForm;
class SessionEnd;

// The program's window: the holdings form with its commands.
class CFundtallyDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CFundtallyDlg(const DialogServices &services, QWidget *parent = nullptr);
    ~CFundtallyDlg() override;

    // true: boxes to fields, false for a box that is not a number;
    // false: fields to boxes.
    bool UpdateData(bool saveAndValidate = true);

    HoldingsForm &form() const { return *m_form; }
    // The form as the window shows it: whole, or scrolling on a small screen.
    FittingForm &formView() const { return *m_view; }
    // The menu of the form's background: the right mouse button, Shift+F10
    // or the Menu key.
    CommandMenu *contextMenu() const { return m_contextMenu; }
    const FormFields &fields() const { return m_fields; }
    const RowTable &rowTable() const { return m_rowTable; }
    bool isCalculating() const;

    void OnCalculate();
    void OnGetProfile();
    // Reads the profile at `path`, shows it and prices it. A file that is no
    // readable profile changes nothing: the message says why and the result
    // is false. Does nothing and gives false while a calculation runs.
    // Asks nothing: callers ask maySetAsideHoldings() first.
    bool loadProfile(const QString &path);
    void OnSaveProfile();
    void OnRebalance();
    void showAboutBox();
    // Lets the user choose the quote sources; see QuoteSourcesChooser.
    void showQuoteSourcesDialog();
    // Lets the user choose the report currency; see CurrencyChooser.
    void showCurrencyDialog();

    // The ISO 4217 code every value is to be given in: the system locale's
    // currency until the start-up or the user sets another.
    const QString &reportCurrency() const { return m_reportCurrency; }
    void setReportCurrency(const QString &code);

    // The targets belong to the holdings: profiles carry them and the chart
    // draws them.
    const AssetTargets &targets() const { return m_targets; }
    void setTargets(const AssetTargets &targets);
    // The last finished calculation, or an empty basis before the first.
    RebalanceBasis lastCalculation() const;

    // Whether the rows or the targets differ from the last profile saved or
    // loaded (or the empty form), a Shares box that does not hold a number
    // counting as a change.
    bool hasUnsavedChanges() const;

    // Before the rows are closed or replaced: stops a running calculation
    // and, when there are unsaved changes, asks whether to save them. False
    // when the user cancels or the save does not happen; the rows are then
    // to be kept.
    bool maySetAsideHoldings(SetAsideReason reason);

    // The desktop session is ending: asks about unsaved changes when the
    // session allows it, and keeps the session going on Cancel.
    void commitData(SessionEnd &session);

    // Stops a running calculation; the rows priced so far are shown.
    void stopCalculation();

    void accept() override;
    void reject() override;
    void setVisible(bool visible) override;

Q_SIGNALS:
    void calculationFinished();
    // The user asked, through the status line's link, to choose quote sources.
    void quoteSourcesRequested();
    // reportCurrency() is now `code`, set by the start-up or chosen.
    void reportCurrencyChanged(const QString &code);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setUpWindow();
    void showModifiedMark();
    void connectCommands();
    void takeProfileDrops();
    bool saveProfile();
    void rememberProfile(const QString &path);

    DialogServices m_services;
    FormFields m_fields;
    HoldingsForm *m_form = nullptr;
    FittingForm *m_view = nullptr;
    CommandMenu *m_contextMenu = nullptr;
    RowTable m_rowTable;
    QIcon m_hIcon;
    std::unique_ptr<FormCalculation> m_calculation;
    AssetTargets m_targets;
    // The file dialogs start in its folder and the caption names it.
    OpenProfile m_profile;
    QString m_reportCurrency;
    bool m_askingToSave = false;
};
