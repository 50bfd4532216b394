#pragma once

#include "quotesitestore.h"
#include "quoteservicefactory.h"

#include <QDialog>
#include <QProcessEnvironment>
#include <QStringList>

#include <functional>
#include <memory>

class CertificateFileChooser;
class QLabel;
class QLineEdit;
class QPushButton;
class QuoteRequest;
struct QuoteResult;
class QuoteService;

// What the quote site dialog starts from.
struct QuoteSiteDialogSetup {
    StoredQuoteSite saved;      // the saved texts, ignored ones included, to correct them
    QStringList savedProblems;  // why saved values are ignored
    QProcessEnvironment environment;
    QString builtInHost;
};

// Takes the quote site's host and an optional certificate file, shows the
// address a symbol is fetched from, and prices one symbol on request to try
// them. OK checks both and saves them; Cancel keeps nothing.
class QuoteSiteDialog : public QDialog
{
    Q_OBJECT

public:
    // Keeps the choice; returns why it could not be kept, empty on success.
    using Saver = std::function<QString(const StoredQuoteSite &)>;

    // Tests price through a service from `makeService`.
    QuoteSiteDialog(const QuoteSiteDialogSetup &setup, CertificateFileChooser &certificates,
                    QuoteServiceFactory makeService, Saver save, QWidget *parent = nullptr);
    ~QuoteSiteDialog() override;

    QLineEdit *hostBox() const { return m_host; }
    QLineEdit *certificateBox() const { return m_certificate; }
    QPushButton *browseButton() const { return m_browse; }
    QLineEdit *symbolBox() const { return m_symbol; }
    QPushButton *testButton() const { return m_test; }
    QLabel *addressLabel() const { return m_address; }
    QLabel *environmentNote() const { return m_environmentNote; }
    QLabel *savedProblemsNote() const { return m_savedNote; }
    QLabel *testResultLabel() const { return m_testResult; }
    QLabel *problemLabel() const { return m_problem; }

    // What the boxes hold, the certificate file as an absolute path.
    StoredQuoteSite typed() const;
    bool isTesting() const;

    // Prices the typed symbol from the typed site, or shows why it cannot.
    void startTest();
    void stopTest();

    void accept() override;
    void reject() override;

Q_SIGNALS:
    void testFinished();

protected:
    // Enter in the symbol box tests rather than pressing OK.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void showEnvironment(const QuoteSiteDialogSetup &setup);
    void updateAddress();
    void updateTestButton();
    void browseCertificate();
    void toggleTest();
    void showTestResult(const QuoteResult &result);
    QString problemWith(const StoredQuoteSite &site, QLineEdit *&box) const;
    void showProblem(const QString &problem, QLineEdit *box);

    const QProcessEnvironment m_environment;
    const QString m_builtInHost;
    CertificateFileChooser &m_certificates;
    const QuoteServiceFactory m_makeService;
    const Saver m_save;

    QLineEdit *m_host = nullptr;
    QLineEdit *m_certificate = nullptr;
    QPushButton *m_browse = nullptr;
    QLineEdit *m_symbol = nullptr;
    QPushButton *m_test = nullptr;
    QLabel *m_address = nullptr;
    QLabel *m_environmentNote = nullptr;
    QLabel *m_savedNote = nullptr;
    QLabel *m_testResult = nullptr;
    QLabel *m_problem = nullptr;

    // The test's own service, kept until the next test or the dialog goes:
    // a service must not be destroyed from its request's finished().
    std::shared_ptr<QuoteService> m_testService;
    std::unique_ptr<QuoteRequest> m_testRequest;
};
