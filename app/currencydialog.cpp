#include "currencydialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CurrencyDialog::CurrencyDialog(const QString &current, QWidget *parent)
    : QDialog(parent)
    , m_offered(ReportCurrency::offered(current))
{
    setWindowTitle(tr("Currency"));
    buildLayout();
    showMatching(QString(), current);
    m_search->setFocus(Qt::OtherFocusReason);
}

void CurrencyDialog::buildLayout()
{
    m_search = new QLineEdit(this);
    m_search->setAccessibleName(tr("Search currencies by code or name"));
    auto *searchLabel = new QLabel(tr("&Search:"), this);
    searchLabel->setBuddy(m_search);
    m_list = new QListWidget(this);
    m_list->setAccessibleName(tr("Currencies"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    // Alt+O presses OK even from the search box, whatever the desktop's
    // theme calls the buttons; Cancel is Escape.
    m_ok->setText(tr("&OK"));
    m_ok->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CurrencyDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CurrencyDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CurrencyDialog::accept);
    connect(m_search, &QLineEdit::textChanged, this,
            [this](const QString &typed) { showMatching(typed, chosenCode()); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(searchLabel);
    layout->addWidget(m_search);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 40);
}

// Keeps `selected` selected while it still matches, else the first match.
void CurrencyDialog::showMatching(const QString &typed, const QString &selected)
{
    m_list->clear();
    int selectedRow = 0;
    for (const CurrencyName &currency : ReportCurrency::matching(m_offered, typed)) {
        const QString text =
            currency.name.isEmpty() ? currency.code : tr("%1 \u2014 %2").arg(currency.code, currency.name);
        auto *item = new QListWidgetItem(text, m_list);
        item->setData(Qt::UserRole, currency.code);
        if (currency.code == selected)
            selectedRow = m_list->count() - 1;
    }
    const bool found = m_list->count() > 0;
    if (found) {
        m_list->setCurrentRow(selectedRow);
        m_list->scrollToItem(m_list->currentItem());
    }
    m_ok->setEnabled(found);
}

QString CurrencyDialog::chosenCode() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

std::optional<QString> DialogCurrencyChooser::chooseCurrency(QWidget *parent, const QString &current)
{
    CurrencyDialog dialog(current, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosenCode();
}
