// The bare dialog for startupbench: the holdings form with its chart in a
// QDialog, nothing else, reporting when it is shown.

#include "holdingsform.h"
#include "shownwatcher.h"

#include <QApplication>
#include <QDialog>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ShownWatcher watcher;
    app.installEventFilter(&watcher);
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(new HoldingsForm(&dialog));
    dialog.exec();
    return 0;
}
