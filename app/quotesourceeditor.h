#pragma once

#include "sourcetest.h"
#include "quotesource.h"

#include <QDialog>
#include <QStringList>

class CertificateFileChooser;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class SourceTest;
struct SourceTestReport;

// Edits one quote source, or one exchange rate source, and its API key:
// every member in a box of its own, the exact address asked for a sample
// symbol or pair (the key never shown), and a Test that fetches it through
// the engine, which can be stopped. OK checks every member and names the
// one at fault; Cancel keeps nothing.
class QuoteSourceEditor : public QDialog
{
    Q_OBJECT

public:
    // `otherNames` are the other sources' names, which this one may not
    // take; tests fetch with `testTransfers`'s proxy, limits and trust.
    QuoteSourceEditor(SourceRole role, const QuoteSource &source, const QString &key, QStringList otherNames,
                      CertificateFileChooser &certificates, SourceTestTransfers testTransfers, QWidget *parent = nullptr);
    ~QuoteSourceEditor() override;

    // What the boxes hold.
    QuoteSource typed() const;
    QString key() const;

    QLineEdit *nameBox() const { return m_name; }
    QLineEdit *urlBox() const { return m_url; }
    QComboBox *formatBox() const { return m_format; }
    QLineEdit *priceBox() const { return m_price; }
    QLineEdit *matchBox() const { return m_match; }
    QLineEdit *currencyBox() const { return m_currency; }
    QLineEdit *factorBox() const { return m_factor; }
    QComboBox *decimalBox() const { return m_decimal; }
    QComboBox *delimiterBox() const { return m_delimiter; }
    QPlainTextEdit *headersBox() const { return m_headers; }
    QLineEdit *certificateBox() const { return m_certificate; }
    QSpinBox *connectionsBox() const { return m_connections; }
    QSpinBox *batchSizeBox() const { return m_batchSize; }
    QLineEdit *separatorBox() const { return m_separator; }
    QSpinBox *perMinuteBox() const { return m_perMinute; }
    QLineEdit *keyBox() const { return m_key; }
    QLineEdit *symbolBox() const { return m_symbol; }
    QLabel *addressLabel() const { return m_address; }
    QPushButton *testButton() const { return m_test; }
    QPlainTextEdit *reportBox() const { return m_report; }
    QLabel *problemLabel() const { return m_problem; }

    bool isTesting() const;
    void toggleTest();

    void accept() override;
    void reject() override;

Q_SIGNALS:
    void testFinished();

protected:
    // Enter in the symbol box tests rather than pressing OK.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    QWidget *boxFor(SourceField field) const;
    void fill(const QuoteSource &source, const QString &key);
    // The first problem of the typed source, its name and certificate file
    // included; empty when none.
    QString problemWith(const QuoteSource &source, QWidget *&box) const;
    void updateAddress();
    void browseCertificate();
    void showReport(const SourceTestReport &report);
    void setTestRunning(bool running);
    // What the sample box asks for: the symbol, or for a rate source the
    // pair as asked ("EURUSD"); empty when the pair typed is not one.
    QString sampleAsked() const;

    const SourceRole m_role;
    const QStringList m_otherNames;
    CertificateFileChooser &m_certificates;
    SourceTest *m_tester = nullptr;

    QLineEdit *m_name = nullptr;
    QLineEdit *m_url = nullptr;
    QComboBox *m_format = nullptr;
    QLineEdit *m_price = nullptr;
    QLineEdit *m_match = nullptr;
    QLineEdit *m_currency = nullptr;
    QLineEdit *m_factor = nullptr;
    QComboBox *m_decimal = nullptr;
    QComboBox *m_delimiter = nullptr;
    QPlainTextEdit *m_headers = nullptr;
    QLineEdit *m_certificate = nullptr;
    QPushButton *m_browse = nullptr;
    QSpinBox *m_connections = nullptr;
    QSpinBox *m_batchSize = nullptr;
    QLineEdit *m_separator = nullptr;
    QSpinBox *m_perMinute = nullptr;
    QLineEdit *m_key = nullptr;
    QLineEdit *m_symbol = nullptr;
    QLabel *m_address = nullptr;
    QPushButton *m_test = nullptr;
    QPlainTextEdit *m_report = nullptr;
    QLabel *m_problem = nullptr;
};

// A note the source dialogs show: wrapped plain text the user can select
// and copy, named to assistive tools by that text and described by `purpose`.
QLabel *sourceNoteLabel(QWidget *parent, const QString &purpose);
