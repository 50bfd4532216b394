#include "quotesourceeditor.h"

#include "certificatefilechooser.h"
#include "currency.h"
#include "namedchooser.h"
#include "readabletext.h"
#include "numbertext.h"
#include "ratesource.h"
#include "sourcetest.h"
#include "sourcetestreport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <utility>

namespace {

// The symbol or pair the address shows and Test fetches until the user
// types one.
const QString kSampleSymbol = QStringLiteral("VTI");
const QString kSamplePair = QStringLiteral("EUR USD");
// The header box shows a few lines before it scrolls.
constexpr int kHeaderLinesShown = 3;

QLineEdit *lineBox(QWidget *parent, const QString &accessibleName, const QString &placeholder = {})
{
    auto *box = new QLineEdit(parent);
    box->setAccessibleName(accessibleName);
    box->setPlaceholderText(placeholder);
    return box;
}

void addRow(QFormLayout *form, const QString &text, QWidget *box, QLayout *row = nullptr)
{
    auto *label = new QLabel(text, box->parentWidget());
    label->setBuddy(box);
    if (row)
        form->addRow(label, row);
    else
        form->addRow(label, box);
}

QString headersText(const QList<SourceHeader> &headers)
{
    QStringList lines;
    for (const SourceHeader &header : headers)
        lines << header.name + QStringLiteral(": ") + header.value;
    return lines.join(u'\n');
}

// One header a line, "Name: value"; a line without ": " is a name alone,
// which the check refuses by name.
QList<SourceHeader> typedHeaders(const QString &text)
{
    QList<SourceHeader> headers;
    for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            headers << SourceHeader{line.trimmed(), QString()};
        else
            headers << SourceHeader{line.first(colon).trimmed(), line.mid(colon + 1).trimmed()};
    }
    return headers;
}

// A pair as typed: two ISO codes, apart or together ("EUR USD", "eur/usd",
// "EURUSD"); the symbol it is asked as, or empty.
QString typedPair(const QString &text)
{
    QString letters;
    for (const QChar c : text) {
        if (c.isLetter())
            letters += c.toUpper();
        else if (!c.isSpace() && c != u'/')
            return {};
    }
    constexpr qsizetype kCodeChars = 3;
    const QString from = letters.left(kCodeChars);
    const QString to = letters.mid(kCodeChars);
    if (!isCurrencyCode(from) || !isCurrencyCode(to))
        return {};
    return pairSymbol(from, to);
}

} // namespace

QuoteSourceEditor::QuoteSourceEditor(SourceRole role, const QuoteSource &source, const QString &key,
                                     QStringList otherNames, CertificateFileChooser &certificates,
                                     SourceTestTransfers testTransfers, QWidget *parent)
    : QDialog(parent)
    , m_role(role)
    , m_otherNames(std::move(otherNames))
    , m_certificates(certificates)
    , m_tester(new SourceTest(std::move(testTransfers), this))
{
    setWindowTitle(role == SourceRole::Rates ? tr("Rate Source") : tr("Quote Source"));
    buildLayout();
    fill(source, key);
    for (QLineEdit *box : {m_url, m_symbol, m_separator})
        connect(box, &QLineEdit::textChanged, this, &QuoteSourceEditor::updateAddress);
    connect(m_headers, &QPlainTextEdit::textChanged, this, &QuoteSourceEditor::updateAddress);
    connect(m_browse, &QPushButton::clicked, this, &QuoteSourceEditor::browseCertificate);
    connect(m_test, &QPushButton::clicked, this, &QuoteSourceEditor::toggleTest);
    connect(m_tester, &SourceTest::finished, this, &QuoteSourceEditor::showReport);
    updateAddress();
    m_name->setFocus(Qt::OtherFocusReason);
}

QuoteSourceEditor::~QuoteSourceEditor() = default;

void QuoteSourceEditor::buildLayout()
{
    const bool rates = m_role == SourceRole::Rates;
    m_name = lineBox(this, tr("Source name"));
    m_url = lineBox(this, tr("Address"),
                    rates ? tr("https://api.example.com/fx?from={FROM}&to={TO}&apikey={KEY}")
                          : tr("https://api.example.com/quote?s={SYMBOL}&apikey={KEY}"));
    m_format = new NamedChooser(this);
    m_format->setAccessibleName(tr("Format"));
    for (const SourceFormat format : sourceFormats(m_role))
        m_format->addItem(sourceFormatName(format), int(format));
    m_price = rates ? lineBox(this, tr("Rate place"), tr("units of TO per FROM: JSON Pointer or JSONPath, CSV column, "
                                                         "or pattern; may hold {FROM} and {TO}"))
                    : lineBox(this, tr("Price place"), tr("JSON Pointer or JSONPath, CSV column, or pattern"));
    m_match = lineBox(this, tr("Match column"),
                      rates ? tr("CSV: the column holding the pair, such as EURUSD")
                            : tr("CSV: the column holding the symbol"));
    m_currency = lineBox(this, tr("Currency"), tr("a place as for the price, or =USD"));
    m_factor = lineBox(this, tr("Factor"));
    m_decimal = new NamedChooser(this);
    m_decimal->setAccessibleName(tr("Decimal mark"));
    m_decimal->addItem(tr("point (1234.5)"), int(DecimalMark::Point));
    m_decimal->addItem(tr("comma (1234,5)"), int(DecimalMark::Comma));
    m_delimiter = new NamedChooser(this);
    m_delimiter->setAccessibleName(tr("CSV delimiter"));
    m_delimiter->addItem(tr("comma"), int(','));
    m_delimiter->addItem(tr("semicolon"), int(';'));
    m_delimiter->addItem(tr("tab"), int('\t'));
    m_headers = new QPlainTextEdit(this);
    m_headers->setAccessibleName(tr("Header lines"));
    m_headers->setPlaceholderText(tr("Name: value, one a line; {KEY} for the API key"));
    m_headers->setTabChangesFocus(true);
    m_headers->setFixedHeight(fontMetrics().lineSpacing() * (kHeaderLinesShown + 1));
    m_certificate = lineBox(this, tr("Certificate file"), tr("none: the system's certificates only"));
    m_browse = new QPushButton(tr("&Browse..."), this);
    m_browse->setAccessibleName(tr("Browse for a certificate file"));
    m_browse->setAutoDefault(false);
    auto *certificateRow = new QHBoxLayout;
    certificateRow->addWidget(m_certificate, 1);
    certificateRow->addWidget(m_browse);
    m_connections = new QSpinBox(this);
    m_connections->setAccessibleName(tr("Connections at a time"));
    m_connections->setRange(SourceLimits::kMinConnections, SourceLimits::kMaxConnections);
    m_batchSize = new QSpinBox(this);
    m_batchSize->setAccessibleName(tr("Symbols a request"));
    m_batchSize->setToolTip(tr("With {SYMBOLS} in the address: the most symbols asked in one request"));
    m_batchSize->setRange(SourceLimits::kMinBatchSize, SourceLimits::kMaxBatchSize);
    m_separator = lineBox(this, tr("Separator"), tr("between the symbols of {SYMBOLS}"));
    m_separator->setMaxLength(int(SourceLimits::kMaxSeparatorChars));
    m_perMinute = new QSpinBox(this);
    m_perMinute->setAccessibleName(tr("Requests a minute"));
    m_perMinute->setRange(0, SourceLimits::kMaxPerMinute);
    m_perMinute->setSpecialValueText(tr("no limit"));
    m_key = lineBox(this, tr("API key"), tr("none"));
    m_key->setEchoMode(QLineEdit::Password);

    m_symbol = rates ? lineBox(this, tr("Sample pair"), kSamplePair) : lineBox(this, tr("Sample symbol"), kSampleSymbol);
    m_symbol->installEventFilter(this);
    m_test = new QPushButton(this);
    m_test->setAutoDefault(false);
    auto *testRow = new QHBoxLayout;
    testRow->addWidget(m_symbol, 1);
    testRow->addWidget(m_test);
    m_address = sourceNoteLabel(this, rates ? tr("Address asked for the sample pair")
                                            : tr("Address asked for the sample symbol"));
    m_report = new QPlainTextEdit(this);
    m_report->setReadOnly(true);
    m_report->setAccessibleName(tr("Test result"));
    m_report->setTabChangesFocus(true);
    m_problem = sourceNoteLabel(this, tr("Problem"));
    QPalette problemLook = m_problem->palette();
    problemLook.setColor(QPalette::WindowText, errorTextColor(problemLook));
    m_problem->setPalette(problemLook);
    m_problem->hide();
    setTestRunning(false);

    auto *form = new QFormLayout;
    addRow(form, tr("&Name:"), m_name);
    addRow(form, tr("&Address:"), m_url);
    addRow(form, tr("&Format:"), m_format);
    addRow(form, rates ? tr("Rate pla&ce:") : tr("&Price:"), m_price);
    addRow(form, tr("&Match column:"), m_match);
    // A rate has no currency of its own.
    if (rates)
        m_currency->hide();
    else
        addRow(form, tr("&Currency:"), m_currency);
    addRow(form, tr("Facto&r:"), m_factor);
    addRow(form, tr("&Decimal mark:"), m_decimal);
    addRow(form, tr("De&limiter:"), m_delimiter);
    addRow(form, tr("&Headers:"), m_headers);
    addRow(form, tr("Cert&ificate file:"), m_certificate, certificateRow);
    addRow(form, tr("Conn&ections:"), m_connections);
    addRow(form, tr("Batch si&ze:"), m_batchSize);
    addRow(form, tr("&Separator:"), m_separator);
    addRow(form, tr("Re&quests a minute:"), m_perMinute);
    addRow(form, tr("API &key:"), m_key);
    addRow(form, rates ? tr("Sample &pair:") : tr("S&ymbol:"), m_symbol, testRow);
    form->addRow(QString(), m_address);
    addRow(form, tr("Test res&ult:"), m_report);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QuoteSourceEditor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QuoteSourceEditor::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 80);
}

void QuoteSourceEditor::fill(const QuoteSource &source, const QString &key)
{
    m_name->setText(source.name);
    m_url->setText(source.url);
    m_format->setCurrentIndex(m_format->findData(int(source.format)));
    m_price->setText(source.price);
    m_match->setText(source.match);
    m_currency->setText(source.currency);
    m_factor->setText(QString::number(source.factor, 'g', QLocale::FloatingPointShortest));
    m_decimal->setCurrentIndex(m_decimal->findData(int(source.decimal)));
    m_delimiter->setCurrentIndex(m_delimiter->findData(int(source.delimiter)));
    m_headers->setPlainText(headersText(source.headers));
    m_certificate->setText(source.certificate);
    m_connections->setValue(source.connections);
    m_batchSize->setValue(source.batchSize);
    m_separator->setText(source.separator);
    m_perMinute->setValue(source.perMinute);
    m_key->setText(key);
}

QuoteSource QuoteSourceEditor::typed() const
{
    QuoteSource source;
    source.name = m_name->text().trimmed();
    source.url = m_url->text().trimmed();
    source.format = SourceFormat(m_format->currentData().toInt());
    source.price = m_price->text();
    source.match = m_match->text();
    source.currency = m_currency->text().trimmed();
    // Not a number: 0, which the check refuses; problemWith() says why.
    source.factor = numberFromText(m_factor->text(), DecimalMark::Point).value_or(0.0);
    source.decimal = DecimalMark(m_decimal->currentData().toInt());
    source.delimiter = char(m_delimiter->currentData().toInt());
    source.headers = typedHeaders(m_headers->toPlainText());
    source.certificate = m_certificate->text().trimmed();
    source.connections = m_connections->value();
    source.batchSize = m_batchSize->value();
    source.separator = m_separator->text();
    source.perMinute = m_perMinute->value();
    return source;
}

QString QuoteSourceEditor::key() const
{
    return m_key->text();
}

QWidget *QuoteSourceEditor::boxFor(SourceField field) const
{
    switch (field) {
    case SourceField::None:
    case SourceField::Sources:
    case SourceField::Rates:
    case SourceField::Name: return m_name;
    case SourceField::Url: return m_url;
    case SourceField::Format: return m_format;
    case SourceField::Price: return m_price;
    case SourceField::Match: return m_match;
    case SourceField::Currency: return m_currency;
    case SourceField::Factor: return m_factor;
    case SourceField::Decimal: return m_decimal;
    case SourceField::Delimiter: return m_delimiter;
    case SourceField::Headers: return m_headers;
    case SourceField::Certificate: return m_certificate;
    case SourceField::Connections: return m_connections;
    case SourceField::BatchSize: return m_batchSize;
    case SourceField::Separator: return m_separator;
    case SourceField::PerMinute: return m_perMinute;
    }
    Q_UNREACHABLE();
}

QString QuoteSourceEditor::problemWith(const QuoteSource &source, QWidget *&box) const
{
    const QString who = isSourceName(source.name) ? source.name : tr("This source");
    SourceProblem problem = checkQuoteSource(source, m_role);
    // typed() reads a factor that is not a number as 0: say what it is.
    if (problem.field == SourceField::Factor && !numberFromText(m_factor->text(), DecimalMark::Point))
        problem.issue = SourceIssue::WrongType;
    if (problem.ok() && m_otherNames.contains(source.name, Qt::CaseInsensitive))
        problem = SourceProblem{SourceField::Name, SourceIssue::Duplicate, -1, -1};
    if (problem.ok())
        problem = checkCertificateFile(source);
    if (problem.ok())
        return {};
    box = boxFor(problem.field);
    return sourceProblemText(who, problem, SourceFieldNaming::Label);
}

QString QuoteSourceEditor::sampleAsked() const
{
    if (m_role == SourceRole::Rates)
        return typedPair(m_symbol->text().isEmpty() ? kSamplePair : m_symbol->text());
    return m_symbol->text().isEmpty() ? kSampleSymbol : m_symbol->text();
}

void QuoteSourceEditor::updateAddress()
{
    // Nothing to say of an address not typed yet.
    if (m_url->text().trimmed().isEmpty()) {
        m_address->clear();
        return;
    }
    const QString symbol = sampleAsked();
    if (symbol.isEmpty()) {
        m_address->setText(tr("A pair is two currency codes, such as EUR USD."));
        return;
    }
    const SourceSample sample = sourceSample(typed(), symbol);
    if (sample.problem != SourceAddressProblem::None) {
        m_address->setText(sourceAddressProblemText(sample.problem));
        return;
    }
    QStringList lines{sample.address};
    lines << sample.headers;
    m_address->setText(lines.join(u'\n'));
}

void QuoteSourceEditor::browseCertificate()
{
    const QString chosen = m_certificates.chooseCertificateFile(this, m_certificate->text());
    if (!chosen.isEmpty())
        m_certificate->setText(chosen);
}

bool QuoteSourceEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_symbol && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            toggleTest();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool QuoteSourceEditor::isTesting() const
{
    return m_tester->isRunning();
}

void QuoteSourceEditor::toggleTest()
{
    if (isTesting()) {
        m_tester->stop();   // reports "stopped" through showReport
        return;
    }
    const QuoteSource source = typed();
    QWidget *box = nullptr;
    const QString problem = problemWith(source, box);
    if (!problem.isEmpty()) {
        m_report->setPlainText(problem);
        return;
    }
    const QString symbol = sampleAsked();
    if (symbol.isEmpty()) {
        m_report->setPlainText(tr("A pair is two currency codes, such as EUR USD."));
        return;
    }
    m_tester->start(source, m_key->text(), symbol);
    m_report->setPlainText(tr("Fetching %1\u2026").arg(symbol));
    setTestRunning(true);
}

void QuoteSourceEditor::showReport(const SourceTestReport &report)
{
    m_report->setPlainText(report.text);
    setTestRunning(false);
    Q_EMIT testFinished();
}

void QuoteSourceEditor::setTestRunning(bool running)
{
    m_test->setText(running ? tr("&Stop") : tr("&Test"));
    m_test->setAccessibleName(running ? tr("Stop the test") : tr("Test"));
}

void QuoteSourceEditor::accept()
{
    m_tester->stop();
    QWidget *box = nullptr;
    const QString problem = problemWith(typed(), box);
    if (!problem.isEmpty()) {
        m_problem->setText(problem);
        m_problem->show();
        box->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}

void QuoteSourceEditor::reject()
{
    m_tester->stop();
    QDialog::reject();
}

QLabel *sourceNoteLabel(QWidget *parent, const QString &purpose)
{
    auto *label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // A label without an accessible name of its own is named by its text and
    // announces each new one; a fixed name would hide the message itself.
    label->setAccessibleDescription(purpose);
    return label;
}
