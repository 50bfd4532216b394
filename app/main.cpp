#include "commandline.h"
#include "fundtallyapp.h"

int main(int argc, char *argv[])
{
    // Help, version and plain mistakes are answered without a display.
    if (const auto early = commandLineBeforeToolkit(commandLineArguments(argc, argv)))
        return reportCommandLine(*early);
    CFundtallyApp app(argc, argv);
    return app.InitInstance();
}
