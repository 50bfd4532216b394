#include "commandline.h"

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

QString programName(const QStringList &arguments)
{
    const QString name = arguments.isEmpty() ? QString() : QFileInfo(arguments.constFirst()).fileName();
    return name.isEmpty() ? QStringLiteral("fundtally") : name;
}

QString usageLine(const QString &program)
{
    return tr("Usage: %1 [options] [FILE]\n       %1 --price SYMBOL...").arg(program);
}

CommandLine refusal(const QString &program, const QString &problem)
{
    return {CommandLine::Action::Refuse, {}, {},
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
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(price);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 tr("A profile (.ftly) to open and price at start."),
                                 QStringLiteral("[FILE]"));

    if (!parser.parse(arguments))
        return refusal(program, parser.errorText());
    if (parser.isSet(help)) {
        // The parser's own first line names the program only once the toolkit
        // runs; this one names it the same way before and after.
        const QString details = parser.helpText().section(QLatin1Char('\n'), 1);
        return {CommandLine::Action::ShowHelp, {}, {}, usageLine(program) + QLatin1Char('\n') + details};
    }
    if (parser.isSet(version))
        return {CommandLine::Action::ShowVersion, {}, {},
                QStringLiteral("Fundtally %1\n").arg(QStringLiteral(FUNDTALLY_VERSION))};
    if (parser.isSet(price)) {
        const QStringList symbols = parser.positionalArguments();
        if (symbols.isEmpty())
            return refusal(program, tr("--price needs at least one symbol."));
        if (symbols.size() > MaxPricedSymbols)
            return refusal(program, tr("%1 symbols were given, but at most %2 can be priced at a time.")
                                        .arg(symbols.size())
                                        .arg(MaxPricedSymbols));
        return {CommandLine::Action::Price, {}, symbols, {}};
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
    return {CommandLine::Action::Run, path, {}, {}};
}

std::optional<CommandLine> commandLineBeforeToolkit(const QStringList &arguments)
{
    CommandLine command = parseCommandLine(arguments);
    switch (command.action) {
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
    case CommandLine::Action::Price:
        return command;
    case CommandLine::Action::Refuse:
        // Pricing from a terminal is never a window's business.
        if (arguments.contains(QStringLiteral("--price")))
            return command;
        for (const QString &argument : arguments.mid(1)) {
            if (argument.startsWith(QLatin1Char('-')))
                return std::nullopt;
        }
        return command;
    case CommandLine::Action::Run:
        break;
    }
    return std::nullopt;
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
