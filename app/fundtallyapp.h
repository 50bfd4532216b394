#pragma once

#include <QApplication>

class CFundtallyDlg;

// The application: sets up the program's identity and runs the holdings
// dialog as its whole run.
class CFundtallyApp : public QApplication
{
    Q_OBJECT

public:
    CFundtallyApp(int &argc, char **argv);

    // Reads the command line, then runs the dialog modally; the program ends
    // when it closes. Returns the program's exit status.
    int InitInstance();
};

// Runs `dialog` modally. A profile path opens that profile once the window is
// up, as Get Profile would; empty starts with the empty form.
int runHoldingsDialog(CFundtallyDlg &dialog, const QString &profilePath);
