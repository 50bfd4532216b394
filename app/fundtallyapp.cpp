#include "fundtallyapp.h"

#include "appicon.h"
#include "certificatefilechooser.h"
#include "dialogservices.h"
#include "filechooser.h"
#include "fundtallydlg.h"
#include "messagepresenter.h"
#include "networkquotesource.h"
#include "numberprompt.h"
#include "quotesitecontroller.h"

#include <QProcessEnvironment>
#include <QSettings>
#include <QTimer>

CFundtallyApp::CFundtallyApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Fundtally"));
    setApplicationDisplayName(QStringLiteral("Fundtally"));
    setApplicationVersion(QStringLiteral("1.0.0.1"));
    setDesktopFileName(QStringLiteral("fundtally"));
    setWindowIcon(fundtallyIcon());
}

int CFundtallyApp::InitInstance()
{
    // ~/.config/Fundtally/Fundtally.conf on Linux.
    QSettings settings(QStringLiteral("Fundtally"), QStringLiteral("Fundtally"));
    // Only what the user saved counts, not a system-wide file under /etc/xdg.
    settings.setFallbacksEnabled(false);
    DialogCertificateFileChooser certificates;
    QuoteSiteController quoteSite(settings, QProcessEnvironment::systemEnvironment(), certificates,
                                  [](const QuoteSiteSettings &site) -> std::unique_ptr<QuoteSource> {
                                      return std::make_unique<NetworkQuoteSource>(site);
                                  });
    MessageBoxNumberPrompt numberPrompt;
    DialogFileChooser files;
    MessageBoxPresenter messages;

    CFundtallyDlg dialog(
        DialogServices{quoteSite.quotes(), numberPrompt, files, messages, quoteSite});
    // Over the window once it is up, and only this once.
    QTimer::singleShot(0, &dialog, [&] {
        const QString problem = quoteSite.takeStartupMessage();
        if (!problem.isEmpty())
            messages.showError(&dialog, problem);
    });
    dialog.exec();
    return 0;
}
