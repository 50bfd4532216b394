#include "aboutdlg.h"

#include "appicon.h"
#include "dialogunits.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("About Fundtally"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    const DialogUnits units(font());

    auto *icon = new QLabel(this);
    // Drawn for the screen's scale, from the image that size calls for.
    icon->setPixmap(fundtallyIcon().pixmap(QSize(32, 32), devicePixelRatioF()));
    icon->setGeometry(QRect(units.rect(11, 17, 0, 0).topLeft(), QSize(32, 32)));

    auto *name = new QLabel(tr("Fundtally Version 1.0"), this);
    name->setGeometry(units.rect(40, 10, 130, 8));

    auto *about = new QLabel(tr("Values holdings at today's quotes."), this);
    about->setGeometry(units.rect(40, 25, 130, 8));

    auto *ok = new QPushButton(tr("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(units.rect(178, 7, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(units.size(235, 55));
}
