#include "commandline.h"
#include "fundtallyapp.h"
#include "pricecommand.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // Help, version, pricing and plain mistakes are answered without a display.
    if (const auto early = commandLineBeforeToolkit(commandLineArguments(argc, argv))) {
        if (early->action != CommandLine::Action::Price)
            return reportCommandLine(*early);
        const QCoreApplication app(argc, argv);
        return runPriceCommand(early->symbols);
    }
    CFundtallyApp app(argc, argv);
    return app.InitInstance();
}
