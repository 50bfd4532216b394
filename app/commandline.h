#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One start opens at most this many profiles: the window holds one.
inline constexpr int MaxProfileArguments = 1;

// `--price` prices at most this many symbols in one run, so that a mistake
// at the terminal cannot start thousands of transfers.
inline constexpr int MaxPricedSymbols = 1000;

// Exit status for a command line the program refuses, as getopt-style tools
// use; a run that starts the window ends with 0.
inline constexpr int CommandLineErrorExitCode = 2;

// What the command line asks for: `fundtally [FILE]`, `--price SYMBOL...`,
// `--report FILE [--json] [--currency CODE]`, `--forget-prices`, --help or
// --version.
struct CommandLine
{
    enum class Action { Run, Price, Report, ForgetPrices, ShowHelp, ShowVersion, Refuse };

    Action action = Action::Run;
    // Run: the profile to open and price at start; empty for an empty form.
    // Report: the profile to price and print.
    QString profilePath;
    // Price: the symbols to price, in the order given.
    QStringList symbols;
    // Report: as one JSON document rather than aligned text.
    bool json = false;
    // Report: the currency of the values for this run; empty for the saved one.
    QString currency;
    // ShowHelp, ShowVersion: the text for standard output. Refuse: what was
    // wrong followed by the usage line, for standard error.
    QString text;

    int exitCode() const;
};

// `arguments` as main() received them, the program's name first, after the
// toolkit has taken its own options out.
CommandLine parseCommandLine(const QStringList &arguments);

// What can be settled before the toolkit starts, so that help, version,
// the terminal's commands and plain mistakes need no display. Nothing when the window's toolkit has to
// start first: to run, or because an option the program does not know may be
// one of the toolkit's own (-platform, -style ...).
std::optional<CommandLine> commandLineBeforeToolkit(const QStringList &arguments);

// The arguments of main() as text, decoded as the toolkit decodes them.
QStringList commandLineArguments(int argc, const char *const *argv);

// Writes the help or version text to standard output, or the refusal to
// standard error; returns the exit status the program ends with.
int reportCommandLine(const CommandLine &command);
