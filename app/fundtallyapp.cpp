#include "fundtallyapp.h"

#include "appicon.h"
#include "dialogservices.h"
#include "filechooser.h"
#include "fundtallydlg.h"
#include "messagepresenter.h"
#include "networkquotesource.h"
#include "numberprompt.h"
#include "quotesitesettings.h"
#include "savechangesquestion.h"
#include "sessionend.h"

#include <QSessionManager>

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
    MessageBoxSaveChangesQuestion saveChanges;

    CFundtallyDlg dialog(DialogServices{quotes, numberPrompt, files, messages, saveChanges});
    connect(this, &QGuiApplication::commitDataRequest, &dialog, [&dialog](QSessionManager &manager) {
        ManagedSessionEnd session(manager);
        dialog.commitData(session);
    });
    dialog.exec();
    return 0;
}
