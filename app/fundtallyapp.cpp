#include "fundtallyapp.h"

#include "appicon.h"
#include "certificatefilechooser.h"
#include "commandline.h"
#include "commandmenu.h"
#include "currencydialog.h"
#include "currencykeeping.h"
#include "dialogservices.h"
#include "filechooser.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "messagepresenter.h"
#include "numberprompt.h"
#include "pricekeeping.h"
#include "programpricing.h"
#include "quotesourcescontroller.h"
#include "savechangesquestion.h"
#include "sessionend.h"
#include "sourcesfilechooser.h"
#include "statusline.h"
#include "usersettings.h"

#include <QAction>
#include <QSessionManager>
#include <QSettings>
#include <QTimer>


namespace {

class ManagedSessionEnd final : public SessionEnd
{
public:
    explicit ManagedSessionEnd(QSessionManager &manager) : m_manager(manager) {}
    bool allowsInteraction() override { return m_manager.allowsInteraction(); }
    void release() override { m_manager.release(); }
    void cancel() override { m_manager.cancel(); }

private:
    QSessionManager &m_manager;
};

} // namespace

CFundtallyApp::CFundtallyApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Fundtally"));
    setApplicationDisplayName(QStringLiteral("Fundtally"));
    setApplicationVersion(QStringLiteral(FUNDTALLY_VERSION));
    setDesktopFileName(QStringLiteral("fundtally"));
    setWindowIcon(fundtallyIcon());
}

int CFundtallyApp::InitInstance()
{
    // The toolkit has taken its own options out of the arguments by now.
    const CommandLine command = parseCommandLine(arguments());
    if (command.action != CommandLine::Action::Run)
        return reportCommandLine(command);

    const std::unique_ptr<QSettings> settings = openUserSettings();
    ProgramPricing pricing(*settings);
    PriceMemory &prices = pricing.prices();
    const QString pricesProblem = prices.load();
    DialogCertificateFileChooser certificates;
    DialogSourcesFileChooser sourcesFiles;
    QuoteSourcesController quoteSources(*settings,
                                        QuoteSourcesTools{certificates, sourcesFiles, pricing.keyStore(),
                                                          pricing.keys(), [&prices] { return prices.forget(); },
                                                          SourceTestTransfers{pricing.worker(), {}},
                                                          pricing.keyFile()},
                                        [&pricing] { return pricing.chain(); });
    MessageBoxNumberPrompt numberPrompt;
    DialogFileChooser files;
    MessageBoxPresenter messages;
    MessageBoxSaveChangesQuestion saveChanges;
    DialogCurrencyChooser currency;

    // Asked at each Calculate, once the window exists, for its currency then.
    CFundtallyDlg dialog(DialogServices{[&quoteSources, &dialog] { return quoteSources.quotesIn(dialog.reportCurrency()); },
                                        numberPrompt, files, messages, quoteSources, currency, saveChanges});
    keepPrices(dialog, prices, pricesProblem);
    keepReportCurrency(dialog, *settings);
    connect(this, &QGuiApplication::commitDataRequest, &dialog, [&dialog](QSessionManager &manager) {
        ManagedSessionEnd session(manager);
        dialog.commitData(session);
    });
    // Over the window once it is up, and only this once.
    QTimer::singleShot(0, &dialog, [&] {
        const QString problem = quoteSources.takeStartupMessage();
        if (!problem.isEmpty())
            messages.showError(&dialog, problem);
    });
    runHoldingsDialog(dialog, command.profilePath);
    return 0;
}

int runHoldingsDialog(CFundtallyDlg &dialog, const QString &profilePath)
{
    // Opened from the dialog's own loop, like a command, so that a message
    // about the file stands over the window.
    if (!profilePath.isEmpty())
        QTimer::singleShot(0, &dialog, [&dialog, profilePath] { dialog.loadProfile(profilePath); });
    return dialog.exec();
}
