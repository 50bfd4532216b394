#include "fundtallydlg.h"

#include "aboutdlg.h"
#include "appicon.h"
#include "commandmenu.h"
#include "currency.h"
#include "currencychooser.h"
#include "fieldexchange.h"
#include "filechooser.h"
#include "fittingform.h"
#include "formcalculation.h"
#include "holdingsform.h"
#include "messagepresenter.h"
#include "messagetext.h"
#include "profiledrop.h"
#include "profilefile.h"
#include "quotesourceschooser.h"
#include "rebalancedialog.h"
#include "reportcurrency.h"
#include "sessionend.h"
#include "statusline.h"
#include "windowcaption.h"

#include <QAction>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>
#include <QWindow>

CFundtallyDlg::CFundtallyDlg(const DialogServices &services, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
    , m_hIcon(fundtallyIcon())
    , m_reportCurrency(ReportCurrency::defaultCode(QLocale::system()))
{
    setUpWindow();
    UpdateData(false);
    m_rowTable.fill(m_fields, *m_form);
    m_calculation = std::make_unique<FormCalculation>(*m_form, m_rowTable, m_fields);
    connect(m_calculation.get(), &FormCalculation::finished, this, [this] {
        m_calculation->showAllocation(m_targets);
        Q_EMIT calculationFinished();
    });
    connectCommands();
    takeProfileDrops();
    // A first start has nothing to price with: say so before the first try.
    m_form->quoteSourcesLink()->setVisible(!m_services.quoteSources.hasQuoteSource());
    m_form->nameBox(0)->setFocus(Qt::OtherFocusReason);
}

CFundtallyDlg::~CFundtallyDlg()
{
    // Ends any lookup in flight before the form it reports to goes away.
    m_calculation.reset();
}

void CFundtallyDlg::setUpWindow()
{
    setWindowTitle(windowCaption(QString()));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(m_hIcon);

    m_form = new HoldingsForm(this);
    m_view = new FittingForm(m_form, this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFixedSize(m_view->designedSize());
    m_contextMenu = new CommandMenu(this);
    connect(m_contextMenu->quoteSourcesAction(), &QAction::triggered, this, &CFundtallyDlg::showQuoteSourcesDialog);
    connect(m_contextMenu->currencyAction(), &QAction::triggered, this, &CFundtallyDlg::showCurrencyDialog);
    connect(m_contextMenu->aboutAction(), &QAction::triggered, this, &CFundtallyDlg::showAboutBox);
}

void CFundtallyDlg::contextMenuEvent(QContextMenuEvent *event)
{
    m_contextMenu->popUpFor(event);
}

// Fitted before it is placed, so that the window is placed whole.
void CFundtallyDlg::setVisible(bool visible)
{
    if (visible && !isVisible())
        m_view->fitWindowToScreen();
    QDialog::setVisible(visible);
}

void CFundtallyDlg::showEvent(QShowEvent *event)
{
    // Moved to another screen, the window fits that one.
    connect(windowHandle(), &QWindow::screenChanged, m_view, &FittingForm::fitWindowToScreen,
            Qt::UniqueConnection);
    QDialog::showEvent(event);
}

void CFundtallyDlg::connectCommands()
{
    connect(m_form->finishedButton(), &QPushButton::clicked, this, &CFundtallyDlg::accept);
    connect(m_form->calculateButton(), &QPushButton::clicked, this, &CFundtallyDlg::OnCalculate);
    connect(m_form->getProfileButton(), &QPushButton::clicked, this, &CFundtallyDlg::OnGetProfile);
    connect(m_form->saveProfileButton(), &QPushButton::clicked, this, &CFundtallyDlg::OnSaveProfile);
    connect(m_form->stopButton(), &QPushButton::clicked, this, &CFundtallyDlg::stopCalculation);
    connect(m_form->quoteSourcesLink(), &StatusLink::activated, this, &CFundtallyDlg::quoteSourcesRequested);
    connect(this, &CFundtallyDlg::quoteSourcesRequested, this, &CFundtallyDlg::showQuoteSourcesDialog);
    connect(m_form->rebalanceButton(), &QPushButton::clicked, this, &CFundtallyDlg::OnRebalance);
    connect(m_form, &HoldingsForm::rowsEdited, this, &CFundtallyDlg::showModifiedMark);
}

// The caption carries the mark once it names a profile.
void CFundtallyDlg::showModifiedMark()
{
    setWindowModified(!m_profile.path().isEmpty() && hasUnsavedChanges());
}

void CFundtallyDlg::takeProfileDrops()
{
    auto *drops = new ProfileDropTarget(this, [this] { return isCalculating(); });
    connect(drops, &ProfileDropTarget::profileDropped, this, [this](const QString &path) {
        if (maySetAsideHoldings(SetAsideReason::OpeningProfile))
            loadProfile(path);
    });
}

bool CFundtallyDlg::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate)
        return transferFormToFields(*m_form, m_fields, m_services.numberPrompt);
    transferFieldsToForm(m_fields, *m_form);
    return true;
}

bool CFundtallyDlg::isCalculating() const
{
    return m_calculation->isRunning();
}

void CFundtallyDlg::OnCalculate()
{
    if (isCalculating())
        return;
    // Pricing what the boxes do not hold would write the old fields back
    // over the user's typing; the prompt has shown which box to correct.
    if (!UpdateData(true))
        return;

    m_calculation->start(m_services.quotes());
}

void CFundtallyDlg::stopCalculation()
{
    m_calculation->stop();
}

void CFundtallyDlg::OnSaveProfile()
{
    saveProfile();
}

bool CFundtallyDlg::saveProfile()
{
    if (isCalculating())
        return false;
    // Saving what the boxes do not hold would lose the user's typing; the
    // prompt has shown which box to correct.
    if (!UpdateData(true))
        return false;
    const QString path = m_services.files.chooseProfileToSave(this, m_profile.path());
    if (path.isEmpty())
        return false;
    const ProfileSave saved = saveProfileFile(path, m_rowTable.holdings(), m_targets);
    if (!saved.ok) {
        m_services.messages.showError(this, saved.message);
        return false;
    }
    rememberProfile(path);
    m_form->statusLabel()->showStatus(tr("Saved %1.").arg(escapedForMessage(QFileInfo(path).fileName())));
    return true;
}

void CFundtallyDlg::OnGetProfile()
{
    if (isCalculating())
        return;
    if (!UpdateData(true))
        return;
    if (!maySetAsideHoldings(SetAsideReason::OpeningProfile))
        return;
    const QString path = m_services.files.chooseProfileToOpen(this, m_profile.folder());
    if (path.isEmpty())
        return;
    loadProfile(path);
}

bool CFundtallyDlg::loadProfile(const QString &path)
{
    if (isCalculating())
        return false;
    const ProfileLoad loaded = loadProfileFile(path);
    if (!loaded.holdings) {
        m_services.messages.showError(this, loaded.message);
        return false;
    }
    // Nothing of the previous profile's result may pass for this one's.
    m_calculation->forgetResult();
    m_rowTable.setResult(CalculationResult{});
    m_rowTable.setHoldings(*loaded.holdings);
    UpdateData(false);
    setTargets(loaded.targets);
    rememberProfile(path);
    OnCalculate();
    return true;
}

void CFundtallyDlg::OnRebalance()
{
    if (isCalculating())
        return;
    RebalanceDialog dialog(lastCalculation(), m_targets, this);
    if (dialog.exec() == QDialog::Accepted)
        setTargets(dialog.targets());
}

void CFundtallyDlg::setTargets(const AssetTargets &targets)
{
    m_targets = targets;
    m_calculation->showAllocation(m_targets);
    showModifiedMark();
}

RebalanceBasis CFundtallyDlg::lastCalculation() const
{
    return m_calculation->lastCalculation();
}

void CFundtallyDlg::rememberProfile(const QString &path)
{
    m_profile.remember(path, holdingsOnForm(*m_form, m_fields), m_targets);
    setWindowFilePath(m_profile.path());
    setWindowTitle(windowCaption(m_profile.path()));
    showModifiedMark();
}

bool CFundtallyDlg::hasUnsavedChanges() const
{
    return m_profile.hasChanges(holdingsOnForm(*m_form, m_fields), m_targets);
}

bool CFundtallyDlg::maySetAsideHoldings(SetAsideReason reason)
{
    // The question runs its own event loop, in which the session can end or
    // another close arrive; those wait for the answer to this one.
    if (m_askingToSave)
        return false;
    stopCalculation();
    if (!hasUnsavedChanges())
        return true;
    const QScopedValueRollback asking(m_askingToSave, true);
    return mayGoOn(m_services.saveChanges.askToSaveChanges(this, reason), [this] { return saveProfile(); });
}

void CFundtallyDlg::commitData(SessionEnd &session)
{
    askBeforeSessionEnds(session, hasUnsavedChanges(),
                         [this] { return maySetAsideHoldings(SetAsideReason::Closing); });
}

void CFundtallyDlg::showAboutBox()
{
    CAboutDlg about(this);
    about.exec();
}

void CFundtallyDlg::showQuoteSourcesDialog()
{
    // The link asking for a source has done its work once one is saved.
    if (m_services.quoteSources.chooseQuoteSources(this))
        m_form->quoteSourcesLink()->hide();
}

void CFundtallyDlg::showCurrencyDialog()
{
    if (const std::optional<QString> chosen = m_services.currency.chooseCurrency(this, m_reportCurrency))
        setReportCurrency(*chosen);
}

void CFundtallyDlg::setReportCurrency(const QString &code)
{
    Q_ASSERT(isCurrencyCode(code));
    if (code == m_reportCurrency)
        return;
    m_reportCurrency = code;
    Q_EMIT reportCurrencyChanged(code);
}

void CFundtallyDlg::accept()
{
    if (!UpdateData(true))
        return;
    if (!maySetAsideHoldings(SetAsideReason::Closing))
        return;
    QDialog::accept();
}

// The close button and the window manager end here (QDialog::closeEvent()
// calls reject() and keeps the window open when it is still shown afterwards).
void CFundtallyDlg::reject()
{
    if (!maySetAsideHoldings(SetAsideReason::Closing))
        return;
    QDialog::reject();
}

// Escape is Stop here, never a way out: a dialog's Escape would end the
// program and throw the priced rows away.
void CFundtallyDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        stopCalculation();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
