#include "fundtallydlg.h"

#include "aboutdlg.h"
#include "allocationpicture.h"
#include "appicon.h"
#include "calculationrun.h"
#include "calculationstatus.h"
#include "classpalette.h"
#include "computedbox.h"
#include "fieldexchange.h"
#include "filechooser.h"
#include "fittingform.h"
#include "holdingsform.h"
#include "messagepresenter.h"
#include "messagetext.h"
#include "profiledrop.h"
#include "profilefile.h"
#include "quotesitechooser.h"
#include "rebalancedialog.h"
#include "sessionend.h"
#include "statusline.h"
#include "windowcaption.h"
#include "windowfit.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWindow>

CFundtallyDlg::CFundtallyDlg(const DialogServices &services, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
    , m_hIcon(fundtallyIcon())
{
    setUpWindow();
    UpdateData(false);
    m_rowTable.fill(m_fields, *m_form);
    connectCommands();
    takeProfileDropsEverywhere();
    m_form->nameBox(0)->setFocus(Qt::OtherFocusReason);
}

CFundtallyDlg::~CFundtallyDlg()
{
    // Ends any lookup in flight before the form it reports to goes away.
    m_run.reset();
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
    setUpContextMenu();
}

void CFundtallyDlg::setUpContextMenu()
{
    // Ctrl+, is the usual key for a program's settings, and this is its only one.
    auto *quoteSite = new QAction(tr("Quote &Site..."), this);
    quoteSite->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    auto *about = new QAction(tr("&About Fundtally..."), this);
    about->setShortcut(QKeySequence::HelpContents);
    connect(quoteSite, &QAction::triggered, this, &CFundtallyDlg::showQuoteSiteDialog);
    connect(about, &QAction::triggered, this, &CFundtallyDlg::showAboutBox);

    m_contextMenu = new QMenu(this);
    m_contextMenu->setAccessibleName(tr("Commands"));
    for (QAction *action : {quoteSite, about}) {
        // The keys work from anywhere in the window, and the menu says which
        // they are, since nothing else does.
        action->setShortcutContext(Qt::WindowShortcut);
        action->setShortcutVisibleInContextMenu(true);
        addAction(action);
        m_contextMenu->addAction(action);
    }

    // The desktop's keys for the menu of whatever has the focus; the boxes'
    // own menus are the mouse's, so the keys open the window's.
    auto *menuKeys = new QShortcut(this);
    menuKeys->setKeys({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
    menuKeys->setContext(Qt::WindowShortcut);
    connect(menuKeys, &QShortcut::activated, this,
            [this] { m_contextMenu->popup(focusedControlCorner()); });
}

void CFundtallyDlg::contextMenuEvent(QContextMenuEvent *event)
{
    // Shown, not run: the window's own loop keeps going while it is open.
    const bool byMouse = event->reason() == QContextMenuEvent::Mouse;
    m_contextMenu->popup(byMouse ? event->globalPos() : focusedControlCorner());
    event->accept();
}

// The bottom-left corner of the part of the focused control in view, where
// a menu opened from the keyboard belongs.
QPoint CFundtallyDlg::focusedControlCorner() const
{
    const QWidget *focused = focusWidget();
    if (!focused)
        return mapToGlobal(QPoint(0, 0));
    QRect shown = focused->visibleRegion().boundingRect();
    if (shown.isEmpty())
        shown = focused->rect();
    return focused->mapToGlobal(shown.bottomLeft() + QPoint(0, 1));
}

// Fitted before it is placed, so that the window is placed whole.
void CFundtallyDlg::setVisible(bool visible)
{
    if (visible && !isVisible())
        fitToScreen();
    QDialog::setVisible(visible);
}

void CFundtallyDlg::showEvent(QShowEvent *event)
{
    // Moved to another screen, the window fits that one.
    connect(windowHandle(), &QWindow::screenChanged, this, &CFundtallyDlg::fitToScreen,
            Qt::UniqueConnection);
    QDialog::showEvent(event);
}

void CFundtallyDlg::fitToScreen()
{
    QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull())
        frame = EstimatedWindowFrame;
    const WindowFit fit = fitWindow(m_view->designedSize(), m_view->roomySize(), m_view->smallestSize(),
                                    screen()->availableGeometry(), frame);
    m_view->setScrolls(fit.scrolls);
    if (fit.scrolls) {
        setMinimumSize(m_view->smallestSize());
        setMaximumSize(m_view->roomySize());
        resize(fit.size);
    } else {
        setFixedSize(fit.size);
    }
}

void CFundtallyDlg::connectCommands()
{
    connect(m_form->finishedButton(), &QPushButton::clicked, this, &CFundtallyDlg::accept);
    connect(m_form->calculateButton(), &QPushButton::clicked, this, &CFundtallyDlg::OnCalculate);
    connect(m_form->getProfileButton(), &QPushButton::clicked, this, &CFundtallyDlg::OnGetProfile);
    connect(m_form->saveProfileButton(), &QPushButton::clicked, this, &CFundtallyDlg::OnSaveProfile);
    connect(m_form->stopButton(), &QPushButton::clicked, this, &CFundtallyDlg::stopCalculation);
    connect(m_form->quoteSiteLink(), &StatusLink::activated, this, &CFundtallyDlg::quoteSiteRequested);
    connect(this, &CFundtallyDlg::quoteSiteRequested, this, &CFundtallyDlg::showQuoteSiteDialog);
    connect(m_form->rebalanceButton(), &QPushButton::clicked, this, &CFundtallyDlg::OnRebalance);

    for (int r = 0; r < RowTable::size(); ++r) {
        for (QLineEdit *box : {m_form->nameBox(r), m_form->symbolBox(r), m_form->sharesBox(r)})
            connect(box, &QLineEdit::textChanged, this, &CFundtallyDlg::showModifiedMark);
        connect(m_form->classSelector(r), &QComboBox::currentIndexChanged, this,
                &CFundtallyDlg::showModifiedMark);
    }
}

// The caption carries the mark once it names a profile.
void CFundtallyDlg::showModifiedMark()
{
    setWindowModified(!m_profilePath.isEmpty() && hasUnsavedChanges());
}

// A profile dropped anywhere on the window opens; the boxes that take text
// drops of their own would otherwise catch it and type its path.
void CFundtallyDlg::takeProfileDropsEverywhere()
{
    setAcceptDrops(true);
    for (QWidget *child : findChildren<QWidget *>()) {
        if (child->acceptDrops())
            child->installEventFilter(this);
    }
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
    return m_run && m_run->isRunning();
}

void CFundtallyDlg::OnCalculate()
{
    if (isCalculating())
        return;
    // Pricing what the boxes do not hold would write the old fields back
    // over the user's typing; the prompt has shown which box to correct.
    if (!UpdateData(true))
        return;

    m_rowTable.clearResult();
    UpdateData(false);

    m_run = std::make_unique<CalculationRun>(m_rowTable.holdings(), m_services.quotes());
    connect(m_run.get(), &CalculationRun::rowSettled, this, &CFundtallyDlg::showRowSettled);
    connect(m_run.get(), &CalculationRun::finished, this, &CFundtallyDlg::showCalculationResult);
    setCalculating(true);
    showProgress(0, m_run->heldCount());
    m_run->start();
}

void CFundtallyDlg::stopCalculation()
{
    if (m_run)
        m_run->stop();
}

void CFundtallyDlg::showProgress(int settled, int count)
{
    m_form->progressBar()->setRange(0, count);
    m_form->progressBar()->setValue(settled);
    showStatus(pricingProgress(settled, count));
}

// A row's value shows as soon as its price is in; the shares of the whole
// wait for every row.
void CFundtallyDlg::showRowSettled(int row, int settled, int count)
{
    if (const std::optional<QuoteResult> &quote = m_run->quote(row)) {
        HoldingRow holding = m_rowTable.row(row);
        holding.value = rowValue(m_run->holdings()[row], *quote);
        m_form->valueBox(row)->setText(formatBoxNumber(holding.value));
    }
    // The last row is followed at once by the result.
    if (settled < count)
        showProgress(settled, count);
}

void CFundtallyDlg::showCalculationResult()
{
    const CalculationResult &result = m_run->result();
    m_rowTable.setResult(result);
    UpdateData(false);
    markRowQuotes();
    showAllocation();

    setCalculating(false);
    m_form->quoteSiteLink()->setVisible(needsQuoteSite(result));
    showStatus(calculationSummary(m_run->holdings(), result));
    Q_EMIT calculationFinished();
}

void CFundtallyDlg::markRowQuotes()
{
    const CalculationResult &result = m_run->result();
    for (int r = 0; r < RowTable::size(); ++r) {
        ComputedBox *box = m_form->valueBox(r);
        const RowOutcome outcome = result.outcome[r];
        box->setProperty("unpriced", outcome == RowOutcome::Unpriced);
        box->setProperty("notLookedUp", outcome == RowOutcome::NotLookedUp);
        QPalette look;
        if (outcome == RowOutcome::Unpriced) {
            look = box->palette();
            look.setColor(QPalette::Base, ClassPalette::unpricedBackground());
            look.setColor(QPalette::Text, ClassPalette::unpricedText());
        } else if (outcome == RowOutcome::NotLookedUp) {
            // Greyed, not amber: no lookup failed, none was made.
            look = box->palette();
            look.setColor(QPalette::Base, look.color(QPalette::Window));
            look.setColor(QPalette::Text, look.color(QPalette::PlaceholderText));
        }
        box->setPalette(look);
        box->setNote(rowQuoteNote(result, r));
    }
}

void CFundtallyDlg::showStatus(const QString &text)
{
    m_form->statusLabel()->showStatus(text);
}

void CFundtallyDlg::setCalculating(bool calculating)
{
    m_form->setInputsLocked(calculating);
    m_form->calculateButton()->setEnabled(!calculating);
    m_form->getProfileButton()->setEnabled(!calculating);
    m_form->saveProfileButton()->setEnabled(!calculating);
    m_form->rebalanceButton()->setEnabled(!calculating);
    m_form->setProgressShown(calculating);
    if (calculating) {
        m_form->quoteSiteLink()->hide();
        m_form->progressBar()->setFormat(tr("%v of %m done"));
    }
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
    const QString path = m_services.files.chooseProfileToSave(this, m_profilePath);
    if (path.isEmpty())
        return false;
    const ProfileSave saved = saveProfileFile(path, m_rowTable.holdings(), m_targets);
    if (!saved.ok) {
        m_services.messages.showError(this, saved.message);
        return false;
    }
    rememberProfile(path);
    showStatus(tr("Saved %1.").arg(escapedForMessage(QFileInfo(path).fileName())));
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
    const QString folder = m_profilePath.isEmpty() ? QString() : QFileInfo(m_profilePath).absolutePath();
    const QString path = m_services.files.chooseProfileToOpen(this, folder);
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
    showAllocation();
    showModifiedMark();
}

RebalanceBasis CFundtallyDlg::lastCalculation() const
{
    if (!m_run || m_run->isRunning())
        return {};
    return rebalanceBasis(m_run->holdings(), m_run->result(), m_run->wasStopped());
}

void CFundtallyDlg::showAllocation()
{
    // Before the first calculation the chart shows only the targets.
    const CalculationResult none;
    const CalculationResult &result = m_run && !m_run->isRunning() ? m_run->result() : none;
    AllocationPicture picture =
        allocationPicture(result.classSum, result.classPercent, result.total, m_targets);
    if (result.partial)
        markPartial(picture);
    m_form->showAllocation(picture);
}

std::optional<HoldingsSnapshot> CFundtallyDlg::shownHoldings() const
{
    const std::optional<Holdings> holdings = holdingsOnForm(*m_form, m_fields);
    if (!holdings)
        return std::nullopt;
    return HoldingsSnapshot{*holdings, m_targets};
}

// What the boxes show now is what the profile holds: the boxes show shares
// with fewer digits than a file may hold, so the snapshot is read back from
// them rather than taken from the records.
void CFundtallyDlg::rememberProfile(const QString &path)
{
    if (const std::optional<HoldingsSnapshot> shown = shownHoldings())
        m_savedHoldings = *shown;
    m_profilePath = QFileInfo(path).absoluteFilePath();
    setWindowFilePath(m_profilePath);
    setWindowTitle(windowCaption(m_profilePath));
    showModifiedMark();
}

bool CFundtallyDlg::hasUnsavedChanges() const
{
    const std::optional<HoldingsSnapshot> shown = shownHoldings();
    return !shown || *shown != m_savedHoldings;
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
    switch (m_services.saveChanges.askToSaveChanges(this, reason)) {
    case SaveChangesAnswer::Save:
        return saveProfile();
    case SaveChangesAnswer::Discard:
        return true;
    case SaveChangesAnswer::Cancel:
        return false;
    }
    Q_UNREACHABLE();
}

void CFundtallyDlg::commitData(SessionEnd &session)
{
    if (!hasUnsavedChanges())
        return;
    // Without leave to ask nothing is saved: only the user chooses where.
    if (!session.allowsInteraction())
        return;
    const bool mayEnd = maySetAsideHoldings(SetAsideReason::Closing);
    session.release();
    if (!mayEnd)
        session.cancel();
}

void CFundtallyDlg::showAboutBox()
{
    CAboutDlg about(this);
    about.exec();
}

void CFundtallyDlg::showQuoteSiteDialog()
{
    m_services.quoteSite.chooseQuoteSite(this);
}

void CFundtallyDlg::accept()
{
    if (!UpdateData(true))
        return;
    if (!maySetAsideHoldings(SetAsideReason::Closing))
        return;
    QDialog::accept();
}

// Escape on the idle window, the close button and the window manager all end
// here (QDialog::closeEvent() calls reject() and keeps the window open when
// it is still shown afterwards).
void CFundtallyDlg::reject()
{
    if (!maySetAsideHoldings(SetAsideReason::Closing))
        return;
    QDialog::reject();
}

void CFundtallyDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel) && isCalculating()) {
        stopCalculation();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The profile a drag would open if the window took it now: one .ftly file,
// offered as a copy (a move would let the file manager take the file away),
// and no calculation running.
QString CFundtallyDlg::acceptedProfileDrag(QDropEvent *event) const
{
    if (isCalculating() || !event->possibleActions().testFlag(Qt::CopyAction))
        return QString();
    return draggedProfilePath(*event->mimeData());
}

// Deals with a drag that carries a profile and says so; other events and
// other drags are left to whoever receives them.
bool CFundtallyDlg::handleProfileDrag(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *drag = static_cast<QDropEvent *>(event);
    if (draggedProfilePath(*drag->mimeData()).isEmpty())
        return false;

    const QString path = acceptedProfileDrag(drag);
    if (path.isEmpty()) {
        drag->ignore();
        return true;
    }
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    if (type == QEvent::Drop) {
        // Loaded once the drop has ended, so the file manager is not kept
        // waiting on a message about the file.
        QMetaObject::invokeMethod(
            this,
            [this, path] {
                if (maySetAsideHoldings(SetAsideReason::OpeningProfile))
                    loadProfile(path);
            },
            Qt::QueuedConnection);
    }
    return true;
}

void CFundtallyDlg::dragEnterEvent(QDragEnterEvent *event)
{
    if (!handleProfileDrag(event))
        event->ignore();
}

void CFundtallyDlg::dragMoveEvent(QDragMoveEvent *event)
{
    if (!handleProfileDrag(event))
        event->ignore();
}

void CFundtallyDlg::dropEvent(QDropEvent *event)
{
    if (!handleProfileDrag(event))
        event->ignore();
}

bool CFundtallyDlg::eventFilter(QObject *watched, QEvent *event)
{
    return handleProfileDrag(event) || QDialog::eventFilter(watched, event);
}
