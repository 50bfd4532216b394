#include "commandline.h"
#include "fundtallyapp.h"
#include "pricecommand.h"
#include "reportcommand.h"

#include <QCoreApplication>

namespace {

// The terminal's commands run under the name the window runs by: its files
// (last known prices) are found by that name.
int runEarlyCommand(int &argc, char **argv, const CommandLine &command)
{
    switch (command.action) {
    case CommandLine::Action::Price:
    case CommandLine::Action::Report:
    case CommandLine::Action::ForgetPrices:
        break;
    case CommandLine::Action::Run:
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
    case CommandLine::Action::Refuse:
        return reportCommandLine(command);
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Fundtally"));
    if (command.action == CommandLine::Action::Report)
        return runReportCommand(command.profilePath, command.json, command.currency);
    if (command.action == CommandLine::Action::ForgetPrices)
        return runForgetPricesCommand();
    return runPriceCommand(command.symbols);
}

} // namespace

int main(int argc, char *argv[])
{
    // Help, version, the terminal's commands and plain mistakes are answered
    // without a display.
    if (const auto early = commandLineBeforeToolkit(commandLineArguments(argc, argv)))
        return runEarlyCommand(argc, argv, *early);
    CFundtallyApp app(argc, argv);
    return app.InitInstance();
}
