#include "commandline.h"

#include "currency.h"
#include "quotesourceresolution.h"
#include "readymadesources.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#include <cstdio>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CommandLine", text);
}

bool namesTerminalCommand(const QStringList &arguments)
{
    for (const QString &argument : arguments.mid(1)) {
        const QString option = argument.section(u'=', 0, 0);
        for (const char *command : {"--price", "--report", "--forget-prices", "--json", "--currency"}) {
            if (option == QLatin1String(command))
                return true;
        }
    }
    return false;
}

// The toolkit's own options (Qt GUI, widgets and the X11 platform), taken
// out before the program reads the rest so that any other word the program
// does not know is refused without a display.
bool isToolkitOption(const QString &name, bool *takesValue)
{
    static constexpr const char *withValue[] = {
        "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
        "qwindowtitle", "title", "qwindowicon", "icon", "session", "display", "name", "style",
        "stylesheet", "qmljsdebugger", "visual", "im", "inputstyle"};
    static constexpr const char *alone[] = {"reverse", "nograb", "dograb", "sync", "testability", "widgetcount"};
    for (const char *option : withValue) {
        if (name == QLatin1String(option)) {
            *takesValue = true;
            return true;
        }
    }
    for (const char *option : alone) {
        if (name == QLatin1String(option)) {
            *takesValue = false;
            return true;
        }
    }
    return false;
}

// `-style fusion`, `-style=fusion` and `--style fusion` alike.
QStringList withoutToolkitOptions(const QStringList &arguments)
{
    QStringList rest = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--")) {
            rest << arguments.mid(i);
            break;
        }
        QString name = argument;
        if (!name.startsWith(QLatin1Char('-'))) {
            rest << argument;
            continue;
        }
        name.remove(0, name.startsWith(QLatin1String("--")) ? 2 : 1);
        const bool joined = name.contains(QLatin1Char('='));
        bool takesValue = false;
        if (!isToolkitOption(name.section(QLatin1Char('='), 0, 0), &takesValue)) {
            rest << argument;
            continue;
        }
        if (takesValue && !joined)
            ++i;
    }
    return rest;
}

QString programName(const QStringList &arguments)
{
    const QString name = arguments.isEmpty() ? QString() : QFileInfo(arguments.constFirst()).fileName();
    return name.isEmpty() ? QStringLiteral("fundtally") : name;
}

QString usageLine(const QString &program)
{
    return tr("Usage: %1 [options] [FILE]\n       %1 --price SYMBOL...\n"
              "       %1 --report FILE [--json] [--currency CODE]\n       %1 --forget-prices")
        .arg(program);
}

CommandLine refusal(const QString &program, const QString &problem)
{
    return {CommandLine::Action::Refuse, {}, {}, false, {},
            QStringLiteral("%1: %2\n%3\n%4\n")
                .arg(program, problem, usageLine(program),
                     tr("Try '%1 --help' for more.").arg(program))};
}

// A launcher may hand over a file:// address; anything else is a path.
QString profilePathFrom(const QString &argument)
{
    if (argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(argument);
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return argument;
}

CommandLine reportCommand(const QString &program, const QStringList &files, const QStringList &extra, bool json,
                          const QString &currency)
{
    if (files.size() + extra.size() > MaxProfileArguments)
        return refusal(program, tr("--report prints one profile at a time."));
    const QString path = profilePathFrom(files.constFirst());
    if (path.isEmpty())
        return refusal(program, tr("the profile's file name is empty."));
    return {CommandLine::Action::Report, path, {}, json, currency, {}};
}

// The variables that change where prices come from, for runs without the
// window above all.
QString environmentHelp()
{
    const auto line = [](const char *name, const QString &text) {
        return QStringLiteral("  %1  %2\n").arg(QLatin1String(name), -23).arg(text);
    };
    return QLatin1Char('\n') + tr("Environment:") + QLatin1Char('\n')
        + line(QuoteSourcesEnvironment::kSourcesFileVariable,
               tr("A sources file (JSON) whose quote and rate sources are used in place of the saved ones; "
                  "the ready-made sources are installed as share/fundtally/%1.")
                   .arg(QLatin1String(ReadyMadeSources::kFileName)))
        + line("FUNDTALLY_KEY_<NAME>",
               tr("A source's API key, taken before the keyring and the key file: NAME is the source's name, "
                  "its letters in upper case and every other character '_'."))
        + line(QuoteSiteEnvironment::kHostVariable, tr("A quote site host whose quote page is the one source."))
        + line(QuoteSiteEnvironment::kCertificateFileVariable,
               tr("A certificate file trusted for that site besides the system's."))
        + line(QuoteSiteEnvironment::kCertificateDirectoriesVariable,
               tr("Folders of certificates trusted likewise, separated by ':'."));
}

} // namespace

int CommandLine::exitCode() const
{
    return action == Action::Refuse ? CommandLineErrorExitCode : 0;
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    const QString program = programName(arguments);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Values holdings at today's quotes and shows how they split across asset classes."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, tr("Shows this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     tr("Shows the program's version."));
    const QCommandLineOption price(QStringLiteral("price"),
                                   tr("Prints the price of each SYMBOL, one line each, from the quote "
                                      "site the window uses; no window opens. Exit status 0 when "
                                      "every symbol was priced, 1 otherwise."));
    const QCommandLineOption report(QStringLiteral("report"),
                                    tr("Prices the profile FILE as the window does, last known prices "
                                       "included, and prints its holdings, classes and total; no window "
                                       "opens. Exit status 0 when every holding was priced now, 1 when "
                                       "some was not or only at its last known price, 2 when FILE cannot "
                                       "be read."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  tr("With --report: prints the report as one JSON document."));
    const QCommandLineOption currency(QStringLiteral("currency"),
                                      tr("With --report: gives the values in CODE (ISO 4217, such as EUR) "
                                         "for this run, in place of the currency chosen in the window."),
                                      QStringLiteral("CODE"));
    const QCommandLineOption forgetPrices(QStringLiteral("forget-prices"),
                                          tr("Forgets every last known price the program kept."));
    for (const QCommandLineOption *option : {&help, &version, &price, &report, &json, &currency, &forgetPrices})
        parser.addOption(*option);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 tr("A profile (.ftly) to open and price at start."),
                                 QStringLiteral("[FILE]"));

    if (!parser.parse(arguments))
        return refusal(program, parser.errorText());
    if (parser.isSet(help)) {
        // The parser's own first line names the program only once the toolkit
        // runs; this one names it the same way before and after.
        const QString details = parser.helpText().section(QLatin1Char('\n'), 1);
        return {CommandLine::Action::ShowHelp, {}, {}, false, {},
                usageLine(program) + QLatin1Char('\n') + details + environmentHelp()};
    }
    if (parser.isSet(version))
        return {CommandLine::Action::ShowVersion, {}, {}, false, {},
                QStringLiteral("Fundtally %1\n").arg(QStringLiteral(FUNDTALLY_VERSION))};
    const int commands = int(parser.isSet(price)) + int(parser.isSet(report)) + int(parser.isSet(forgetPrices));
    if (commands > 1)
        return refusal(program, tr("--price, --report and --forget-prices cannot be combined."));
    if (parser.isSet(json) && !parser.isSet(report))
        return refusal(program, tr("--json goes with --report only."));
    if (parser.isSet(currency) && !parser.isSet(report))
        return refusal(program, tr("--currency goes with --report only."));
    if (parser.isSet(currency) && !isCurrencyCode(parser.value(currency)))
        return refusal(program, tr("--currency takes a three-letter currency code, such as EUR."));
    if (parser.isSet(report))
        return reportCommand(program, parser.values(report), parser.positionalArguments(), parser.isSet(json),
                             parser.value(currency));
    if (parser.isSet(forgetPrices)) {
        if (!parser.positionalArguments().isEmpty())
            return refusal(program, tr("--forget-prices takes no file."));
        return {CommandLine::Action::ForgetPrices, {}, {}, false, {}, {}};
    }
    if (parser.isSet(price)) {
        const QStringList symbols = parser.positionalArguments();
        if (symbols.isEmpty())
            return refusal(program, tr("--price needs at least one symbol."));
        if (symbols.size() > MaxPricedSymbols)
            return refusal(program, tr("%1 symbols were given, but at most %2 can be priced at a time.")
                                        .arg(symbols.size())
                                        .arg(MaxPricedSymbols));
        return {CommandLine::Action::Price, {}, symbols, false, {}, {}};
    }

    const QStringList files = parser.positionalArguments();
    if (files.size() > MaxProfileArguments)
        return refusal(program, tr("%1 files were given, but only %2 can be opened at a time.")
                                    .arg(files.size())
                                    .arg(MaxProfileArguments));
    if (files.isEmpty())
        return {};
    const QString path = profilePathFrom(files.constFirst());
    if (path.isEmpty())
        return refusal(program, tr("the profile's file name is empty."));
    return {CommandLine::Action::Run, path, {}, false, {}, {}};
}

std::optional<CommandLine> commandLineBeforeToolkit(const QStringList &arguments)
{
    // The terminal's commands are never a window's business, not even with
    // a toolkit option beside them.
    const CommandLine whole = parseCommandLine(arguments);
    if (whole.action != CommandLine::Action::Run && namesTerminalCommand(arguments))
        return whole;
    CommandLine command = parseCommandLine(withoutToolkitOptions(arguments));
    if (command.action == CommandLine::Action::Run)
        return std::nullopt;
    return command;
}

QStringList commandLineArguments(int argc, const char *const *argv)
{
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

int reportCommandLine(const CommandLine &command)
{
    std::FILE *stream = command.action == CommandLine::Action::Refuse ? stderr : stdout;
    std::fputs(command.text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
    return command.exitCode();
}
