#include "fundtallyapp.h"

#include "appicon.h"
#include "dialogservices.h"
#include "filechooser.h"
#include "fundtallydlg.h"
#include "messagepresenter.h"
#include "networkquotesource.h"
#include "numberprompt.h"
#include "quotesitesettings.h"

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
    NetworkQuoteSource quotes(QuoteSiteSettings::fromEnvironment());
    MessageBoxNumberPrompt numberPrompt;
    DialogFileChooser files;
    MessageBoxPresenter messages;

    CFundtallyDlg dialog(DialogServices{quotes, numberPrompt, files, messages});
    dialog.exec();
    return 0;
}
