#pragma once

#include <QApplication>

// The application: sets up the program's identity and runs the holdings
// dialog as its whole run.
class CFundtallyApp : public QApplication
{
    Q_OBJECT

public:
    CFundtallyApp(int &argc, char **argv);

    // Runs the dialog modally; the program ends when it closes.
    int InitInstance();
};
