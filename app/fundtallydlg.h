#pragma once

#include "dialogservices.h"
#include "holdingsfields.h"
#include "holdingssnapshot.h"
#include "profilerecord.h"
#include "rowtable.h"
#include "savechangesquestion.h"

#include <QDialog>
#include <QIcon>

#include <memory>

class CalculationRun;
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
    const HoldingsFields &fields() const { return m_fields; }
    const RowTable &rowTable() const { return m_rowTable; }
    bool isCalculating() const;

    void OnCalculate();
    void OnGetProfile();
    void OnSaveProfile();
    void showAboutBox();

    // Reads the profile, shows its rows and prices them. On failure shows
    // the message, leaves the form as it was and returns false. Asks
    // nothing: callers ask maySetAsideHoldings() first.
    bool loadProfile(const QString &path);

    // Whether the rows differ from the last profile saved or loaded (or the
    // empty form), a Shares box that does not hold a number counting as a
    // change.
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

Q_SIGNALS:
    void calculationFinished();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setUpWindow();
    void connectCommands();
    void showPricing(const QString &symbol, int position, int count);
    void showCalculationResult();
    void setCalculating(bool calculating);
    void markRowQuotes();
    ProfileRecords profileRecords() const;
    void showProfile(const ProfileRecords &records);
    bool saveProfile();
    std::optional<HoldingsSnapshot> holdingsOnForm() const;
    void rememberProfile(const QString &path);

    DialogServices m_services;
    HoldingsFields m_fields;
    HoldingsForm *m_form = nullptr;
    RowTable m_rowTable;
    QIcon m_hIcon;
    std::unique_ptr<CalculationRun> m_run;
    HoldingsSnapshot m_savedHoldings;
    // The folder of the last profile loaded or saved; the file dialogs start there.
    QString m_profileFolder;
    bool m_askingToSave = false;
};
