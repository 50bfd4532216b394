// The program's own start-up for startupbench: what main() does, reporting
// when the window is shown.

#include "commandline.h"
#include "fundtallyapp.h"
#include "shownwatcher.h"

int main(int argc, char *argv[])
{
    if (const auto early = commandLineBeforeToolkit(commandLineArguments(argc, argv)))
        return reportCommandLine(*early);
    CFundtallyApp app(argc, argv);
    ShownWatcher watcher;
    app.installEventFilter(&watcher);
    return app.InitInstance();
}
