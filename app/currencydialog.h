#pragma once

#include "currencychooser.h"
#include "reportcurrency.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

// The "Currency" dialog: the currencies the program can report in, filtered
// by what is typed in its search box, with the current one selected.
class CurrencyDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CurrencyDialog(const QString &current, QWidget *parent = nullptr);

    // The selected code; empty when the search leaves none to select.
    QString chosenCode() const;

    QLineEdit *searchBox() const { return m_search; }
    QListWidget *list() const { return m_list; }
    QPushButton *okButton() const { return m_ok; }

private:
    void buildLayout();
    void showMatching(const QString &typed, const QString &selected);

    const QList<CurrencyName> m_offered;
    QLineEdit *m_search = nullptr;
    QListWidget *m_list = nullptr;
    QPushButton *m_ok = nullptr;
};

// Runs the dialog modally.
class DialogCurrencyChooser final : public CurrencyChooser
{
public:
    std::optional<QString> chooseCurrency(QWidget *parent, const QString &current) override;
};
