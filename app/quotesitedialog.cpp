#include "quotesitedialog.h"

#include "certificatefile.h"
#include "certificatefilechooser.h"
#include "quotehost.h"
#include "quoteservice.h"
#include "quotesiteresolution.h"
#include "quoteservice.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace {

// The symbol the address shows until the user types one to test.
const QString kExampleSymbol = QStringLiteral("VTI");

QLabel *noteLabel(QWidget *parent, const QString &accessibleName)
{
    auto *label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setAccessibleName(accessibleName);
    return label;
}

} // namespace

QuoteSiteDialog::QuoteSiteDialog(const QuoteSiteDialogSetup &setup,
                                 CertificateFileChooser &certificates,
                                 QuoteServiceFactory makeService, Saver save, QWidget *parent)
    : QDialog(parent)
    , m_environment(setup.environment)
    , m_builtInHost(setup.builtInHost)
    , m_certificates(certificates)
    , m_makeService(std::move(makeService))
    , m_save(std::move(save))
{
    setWindowTitle(tr("Quote Site"));
    buildLayout();
    m_host->setText(setup.saved.host);
    m_certificate->setText(setup.saved.certificateFile);
    showEnvironment(setup);
    m_savedNote->setText(setup.savedProblems.join(u'\n'));
    m_savedNote->setVisible(!setup.savedProblems.isEmpty());

    connect(m_host, &QLineEdit::textChanged, this, &QuoteSiteDialog::updateAddress);
    connect(m_symbol, &QLineEdit::textChanged, this, &QuoteSiteDialog::updateAddress);
    connect(m_symbol, &QLineEdit::textChanged, this, &QuoteSiteDialog::updateTestButton);
    connect(m_browse, &QPushButton::clicked, this, &QuoteSiteDialog::browseCertificate);
    connect(m_test, &QPushButton::clicked, this, &QuoteSiteDialog::toggleTest);
    updateAddress();
    updateTestButton();
    m_host->setFocus(Qt::OtherFocusReason);
}

QuoteSiteDialog::~QuoteSiteDialog()
{
    // The request reports to this dialog; it goes before the dialog does.
    m_testRequest.reset();
}

void QuoteSiteDialog::buildLayout()
{
    auto *intro = noteLabel(this, tr("About the quote site"));
    intro->setText(tr("Quote pages are fetched over HTTPS from this site. Give its host, "
                      "and a port after \":\" if it is not 443."));

    m_host = new QLineEdit(this);
    m_host->setAccessibleName(tr("Quote site host"));
    m_host->setPlaceholderText(tr("quotes.example.com"));

    m_address = noteLabel(this, tr("Quote page address"));

    m_certificate = new QLineEdit(this);
    m_certificate->setAccessibleName(tr("Certificate file"));
    m_certificate->setPlaceholderText(tr("none: the system's certificates only"));
    m_browse = new QPushButton(tr("&Browse..."), this);
    m_browse->setAccessibleName(tr("Browse for a certificate file"));
    m_browse->setAutoDefault(false);
    auto *certificateRow = new QHBoxLayout;
    certificateRow->addWidget(m_certificate, 1);
    certificateRow->addWidget(m_browse);
    auto *certificateHint = noteLabel(this, tr("About the certificate file"));
    certificateHint->setText(tr("For a private site: a PEM file of the certificates to trust "
                                "besides the system's."));

    m_environmentNote = noteLabel(this, tr("Environment"));
    m_savedNote = noteLabel(this, tr("Saved values ignored"));

    m_symbol = new QLineEdit(this);
    m_symbol->setAccessibleName(tr("Symbol to test"));
    m_symbol->installEventFilter(this);
    m_test = new QPushButton(tr("&Test"), this);
    m_test->setAccessibleName(tr("Test"));
    m_test->setAutoDefault(false);
    auto *testRow = new QHBoxLayout;
    testRow->addWidget(m_symbol, 1);
    testRow->addWidget(m_test);
    m_testResult = noteLabel(this, tr("Test result"));

    m_problem = noteLabel(this, tr("Problem"));
    m_problem->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_problem->hide();

    auto *form = new QFormLayout;
    auto *hostLabel = new QLabel(tr("&Host:"), this);
    hostLabel->setBuddy(m_host);
    form->addRow(hostLabel, m_host);
    form->addRow(tr("Address:"), m_address);
    auto *certificateLabel = new QLabel(tr("&Certificate file:"), this);
    certificateLabel->setBuddy(m_certificate);
    form->addRow(certificateLabel, certificateRow);
    form->addRow(QString(), certificateHint);
    auto *symbolLabel = new QLabel(tr("S&ymbol:"), this);
    symbolLabel->setBuddy(m_symbol);
    form->addRow(symbolLabel, testRow);
    form->addRow(QString(), m_testResult);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // Alt+O presses OK even from a box, whatever the desktop's theme calls
    // the buttons; Cancel is Escape.
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QuoteSiteDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QuoteSiteDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(m_environmentNote);
    layout->addWidget(m_savedNote);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 70);
}

void QuoteSiteDialog::showEnvironment(const QuoteSiteDialogSetup &setup)
{
    using namespace QuoteSiteEnvironment;
    QStringList notes;
    const QString environmentHost = m_environment.value(QLatin1String(kHostVariable));
    if (!environmentHost.isEmpty()) {
        const QString saved = setup.saved.host.isEmpty() ? tr("none is saved")
                                                         : tr("saved: %1").arg(QuoteHost::quoted(setup.saved.host));
        notes << tr("%1 is set to %2: calculations use that host, not the one here (%3).")
                     .arg(QLatin1String(kHostVariable), QuoteHost::quoted(environmentHost), saved);
        const QString hostError = QuoteHost::problem(environmentHost);
        if (!hostError.isEmpty())
            notes << tr("That host cannot be used: %1").arg(hostError);
    }
    QStringList trustVariables;
    for (const char *variable : {kCertificateFileVariable, kCertificateDirectoriesVariable}) {
        if (!m_environment.value(QLatin1String(variable)).isEmpty())
            trustVariables << QLatin1String(variable);
    }
    if (!trustVariables.isEmpty()) {
        const QString which = trustVariables.size() == 1
                                  ? tr("%1 is set").arg(trustVariables.constFirst())
                                  : tr("%1 and %2 are set").arg(trustVariables[0], trustVariables[1]);
        notes << tr("%1: calculations and tests trust the certificates named there besides the "
                    "system's, not the certificate file here.")
                     .arg(which);
    }
    m_environmentNote->setText(notes.join(u'\n'));
    m_environmentNote->setVisible(!notes.isEmpty());
}

StoredQuoteSite QuoteSiteDialog::typed() const
{
    StoredQuoteSite site;
    site.host = m_host->text();
    if (!m_certificate->text().isEmpty())
        site.certificateFile = QFileInfo(m_certificate->text()).absoluteFilePath();
    return site;
}

bool QuoteSiteDialog::isTesting() const
{
    return m_testRequest != nullptr;
}

bool QuoteSiteDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_symbol && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_test->isEnabled()) {
            toggleTest();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void QuoteSiteDialog::updateAddress()
{
    const QString typedHost = m_host->text();
    const QString symbol = m_symbol->text().isEmpty() ? kExampleSymbol : m_symbol->text();
    if (typedHost.isEmpty() && m_builtInHost.isEmpty()) {
        m_address->setText(tr("No host: every symbol but Cash and Money Market stays unpriced."));
        return;
    }
    const QString hostError = typedHost.isEmpty() ? QString() : QuoteHost::problem(typedHost);
    if (!hostError.isEmpty()) {
        m_address->setText(hostError);
        return;
    }
    const QString address = QuoteHost::pageAddress(typedHost.isEmpty() ? m_builtInHost : typedHost, symbol);
    if (address.isEmpty()) {
        m_address->setText(tr("No page address can be formed for the symbol %1.")
                               .arg(QuoteHost::quoted(symbol)));
    } else if (typedHost.isEmpty()) {
        m_address->setText(tr("No host here, so the built-in site is used: %1").arg(address));
    } else {
        m_address->setText(address);
    }
}

void QuoteSiteDialog::updateTestButton()
{
    m_test->setEnabled(isTesting() || !m_symbol->text().isEmpty());
}

void QuoteSiteDialog::browseCertificate()
{
    const QString chosen = m_certificates.chooseCertificateFile(this, m_certificate->text());
    if (!chosen.isEmpty())
        m_certificate->setText(chosen);
}

void QuoteSiteDialog::toggleTest()
{
    if (isTesting())
        stopTest();
    else
        startTest();
}

QString QuoteSiteDialog::problemWith(const StoredQuoteSite &site, QLineEdit *&box) const
{
    if (!site.host.isEmpty()) {
        const QString hostError = QuoteHost::problem(site.host);
        if (!hostError.isEmpty()) {
            box = m_host;
            return hostError;
        }
    }
    if (!site.certificateFile.isEmpty()) {
        const QString fileError = CertificateFile::problem(site.certificateFile);
        if (!fileError.isEmpty()) {
            box = m_certificate;
            return fileError;
        }
    }
    return {};
}

void QuoteSiteDialog::startTest()
{
    if (isTesting())
        return;
    const StoredQuoteSite site = typed();
    QLineEdit *box = nullptr;
    QString problem = problemWith(site, box);
    // The test tries the host typed here, whatever the environment names.
    QProcessEnvironment trustOnly = m_environment;
    trustOnly.remove(QLatin1String(QuoteSiteEnvironment::kHostVariable));
    const QuoteSiteResolution resolution = resolveQuoteSite(trustOnly, site, m_builtInHost);
    if (problem.isEmpty() && resolution.settings.host.isEmpty())
        problem = tr("There is no site to test: give its host.");
    if (!problem.isEmpty()) {
        m_testResult->setText(problem);
        return;
    }

    m_testService = m_makeService(resolution.settings);
    m_testRequest = m_testService->FetchQuotePrice(m_symbol->text());
    connect(m_testRequest.get(), &QuoteRequest::finished, this, &QuoteSiteDialog::showTestResult);
    m_test->setText(tr("&Stop"));
    m_test->setAccessibleName(tr("Stop the test"));
    m_testResult->setText(tr("Pricing %1 from %2\u2026").arg(m_symbol->text(), resolution.settings.host));
}

void QuoteSiteDialog::stopTest()
{
    if (m_testRequest)
        m_testRequest->cancel(); // reports "stopped" through showTestResult
}

void QuoteSiteDialog::showTestResult(const QuoteResult &result)
{
    const QString symbol = m_testRequest->symbol();
    // Not deleted from its own signal.
    m_testRequest.release()->deleteLater();
    m_testResult->setText(result.priced()
                              ? tr("%1: priced at %2.").arg(symbol, QString::number(result.price, 'g', 12))
                              : tr("%1: not priced \u2014 %2.").arg(symbol, result.reason()));
    m_test->setText(tr("&Test"));
    m_test->setAccessibleName(tr("Test"));
    updateTestButton();
    Q_EMIT testFinished();
}

void QuoteSiteDialog::showProblem(const QString &problem, QLineEdit *box)
{
    m_problem->setText(problem);
    m_problem->show();
    if (box) {
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
    }
}

void QuoteSiteDialog::accept()
{
    stopTest();
    const StoredQuoteSite site = typed();
    QLineEdit *box = nullptr;
    const QString problem = problemWith(site, box);
    if (!problem.isEmpty()) {
        showProblem(problem, box);
        return;
    }
    const QString saveError = m_save(site);
    if (!saveError.isEmpty()) {
        showProblem(saveError, nullptr);
        return;
    }
    QDialog::accept();
}

void QuoteSiteDialog::reject()
{
    stopTest();
    QDialog::reject();
}
