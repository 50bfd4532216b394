// The program's own start-up for startupbench: what main() does, reporting
// when the window is shown.

#include "fundtallyapp.h"
#include "shownwatcher.h"

int main(int argc, char *argv[])
{
    CFundtallyApp app(argc, argv);
    ShownWatcher watcher;
    app.installEventFilter(&watcher);
    return app.InitInstance();
}
