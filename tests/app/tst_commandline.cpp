// The command line: `fundtally [FILE]`, --help and --version, as parsed and
// as the program answers them.

#include "commandline.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

using Action = CommandLine::Action;
Q_DECLARE_METATYPE(CommandLine::Action)

namespace {

const QString usage = QStringLiteral("Usage: fundtally [options] [FILE]");
const QString versionText = QStringLiteral("Fundtally " FUNDTALLY_VERSION "\n");

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void terminalCommands_data();
    void terminalCommands();
    void settledBeforeToolkit_data();
    void settledBeforeToolkit();
    void argumentsAreDecodedAsText();
    void programAnswersWithoutADisplay_data();
    void programAnswersWithoutADisplay();
};

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("mentions");

    const QString program = QStringLiteral("/usr/bin/fundtally");
    QTest::newRow("nothing") << QStringList{program} << Action::Run << QString() << QString();
    QTest::newRow("one profile, the limit")
        << QStringList{program, "/home/me/savings.ftly"} << Action::Run << "/home/me/savings.ftly" << QString();
    QTest::newRow("relative path") << QStringList{program, "savings.ftly"} << Action::Run << "savings.ftly"
                                   << QString();
    QTest::newRow("file address from a launcher")
        << QStringList{program, "file:///home/me/my%20savings.ftly"} << Action::Run
        << "/home/me/my savings.ftly" << QString();
    QTest::newRow("name like an option after --")
        << QStringList{program, "--", "-odd.ftly"} << Action::Run << "-odd.ftly" << QString();
    QTest::newRow("two profiles, past the limit")
        << QStringList{program, "a.ftly", "b.ftly"} << Action::Refuse << QString()
        << "2 files were given, but only 1 can be opened at a time.";
    QTest::newRow("empty name") << QStringList{program, ""} << Action::Refuse << QString() << "empty";
    QTest::newRow("unknown option") << QStringList{program, "--bogus", "a.ftly"} << Action::Refuse
                                    << QString() << "Unknown option 'bogus'.";
    QTest::newRow("--help") << QStringList{program, "--help"} << Action::ShowHelp << QString() << usage;
    QTest::newRow("-h lists FILE") << QStringList{program, "-h"} << Action::ShowHelp << QString()
                                   << "A profile (.ftly) to open and price at start.";
    QTest::newRow("--help wins over a file")
        << QStringList{program, "a.ftly", "--help"} << Action::ShowHelp << QString() << "--version";
    QTest::newRow("--version") << QStringList{program, "--version"} << Action::ShowVersion << QString()
                               << versionText;
    QTest::newRow("-v") << QStringList{program, "-v"} << Action::ShowVersion << QString() << versionText;
    QTest::newRow("--price with symbols") << QStringList{program, "--price", "VTI", "BND"} << Action::Price
                                          << QString() << QString();
    QTest::newRow("--price without one") << QStringList{program, "--price"} << Action::Refuse << QString()
                                         << "at least one symbol";
    QTest::newRow("--price, the most symbols")
        << (QStringList{program, "--price"} + QStringList(MaxPricedSymbols, QStringLiteral("VTI"))) << Action::Price
        << QString() << QString();
    QTest::newRow("--price, one symbol too many")
        << (QStringList{program, "--price"} + QStringList(MaxPricedSymbols + 1, QStringLiteral("VTI")))
        << Action::Refuse << QString() << "at most 1000";
    QTest::newRow("--help lists --price") << QStringList{program, "--help"} << Action::ShowHelp << QString()
                                          << "--price";
    QTest::newRow("--help lists --report") << QStringList{program, "--help"} << Action::ShowHelp << QString()
                                           << "--report FILE [--json]";
    QTest::newRow("--help lists --forget-prices") << QStringList{program, "--help"} << Action::ShowHelp
                                                  << QString() << "--forget-prices";
    QTest::newRow("--help lists the sources file variable")
        << QStringList{program, "--help"} << Action::ShowHelp << QString() << "  FUNDTALLY_QUOTE_SOURCES  ";
}

void TestCommandLine::terminalCommands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("json");
    QTest::addColumn<QString>("refusal");

    const QString program = QStringLiteral("fundtally");
    QTest::newRow("report, one profile, the limit")
        << QStringList{program, "--report", "a.ftly"} << Action::Report << "a.ftly" << false << QString();
    QTest::newRow("report as JSON, option after")
        << QStringList{program, "--report", "a.ftly", "--json"} << Action::Report << "a.ftly" << true << QString();
    QTest::newRow("report as JSON, option before")
        << QStringList{program, "--json", "--report=a.ftly"} << Action::Report << "a.ftly" << true << QString();
    QTest::newRow("report of a file address")
        << QStringList{program, "--report", "file:///home/me/my%20savings.ftly"} << Action::Report
        << "/home/me/my savings.ftly" << false << QString();
    QTest::newRow("report, two profiles, past the limit")
        << QStringList{program, "--report", "a.ftly", "b.ftly"} << Action::Refuse << QString() << false
        << "one profile at a time";
    QTest::newRow("report twice") << QStringList{program, "--report", "a.ftly", "--report", "b.ftly"}
                                  << Action::Refuse << QString() << false << "one profile at a time";
    QTest::newRow("report without a file")
        << QStringList{program, "--report"} << Action::Refuse << QString() << false << "Missing value";
    QTest::newRow("report of an empty name")
        << QStringList{program, "--report", ""} << Action::Refuse << QString() << false << "empty";
    QTest::newRow("JSON without a report")
        << QStringList{program, "--json", "a.ftly"} << Action::Refuse << QString() << false << "--json";
    QTest::newRow("JSON with prices") << QStringList{program, "--price", "VTI", "--json"} << Action::Refuse
                                      << QString() << false << "--json";
    QTest::newRow("report and price") << QStringList{program, "--report", "a.ftly", "--price", "VTI"}
                                      << Action::Refuse << QString() << false << "cannot be combined";
    QTest::newRow("report in a currency")
        << QStringList{program, "--report", "a.ftly", "--currency", "EUR"} << Action::Report << "a.ftly" << false
        << QString();
    QTest::newRow("currency not a code")
        << QStringList{program, "--report", "a.ftly", "--currency", "eur"} << Action::Refuse << QString() << false
        << "three-letter currency code";
    QTest::newRow("currency without a report")
        << QStringList{program, "--price", "VTI", "--currency", "EUR"} << Action::Refuse << QString() << false
        << "--currency goes with --report only";
    QTest::newRow("forget prices") << QStringList{program, "--forget-prices"} << Action::ForgetPrices
                                   << QString() << false << QString();
    QTest::newRow("forget prices and a file") << QStringList{program, "--forget-prices", "a.ftly"}
                                              << Action::Refuse << QString() << false << "takes no file";
    QTest::newRow("forget prices and report")
        << QStringList{program, "--forget-prices", "--report", "a.ftly"} << Action::Refuse << QString() << false
        << "cannot be combined";
}

void TestCommandLine::terminalCommands()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QString, path);
    QFETCH(bool, json);
    QFETCH(QString, refusal);

    const CommandLine command = parseCommandLine(arguments);
    QCOMPARE(command.action, action);
    QCOMPARE(command.profilePath, path);
    QCOMPARE(command.json, json);
    QCOMPARE(command.currency, action == Action::Report && arguments.contains(QStringLiteral("EUR"))
                                   ? QStringLiteral("EUR") : QString());
    if (refusal.isEmpty()) {
        QCOMPARE(command.text, QString());
        QCOMPARE(command.exitCode(), 0);
    } else {
        QVERIFY2(command.text.startsWith(QStringLiteral("fundtally: ")) && command.text.contains(refusal)
                     && command.text.contains(usage),
                 qPrintable(command.text));
        QCOMPARE(command.exitCode(), CommandLineErrorExitCode);
    }
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QString, path);
    QFETCH(QString, mentions);

    const CommandLine command = parseCommandLine(arguments);
    QCOMPARE(command.action, action);
    QCOMPARE(command.profilePath, path);
    QVERIFY2(command.text.contains(mentions), qPrintable(command.text));
    switch (action) {
    case Action::Run:
    case Action::Price:
    case Action::Report:
    case Action::ForgetPrices:
        QVERIFY(command.text.isEmpty());
        QCOMPARE(command.exitCode(), 0);
        break;
    case Action::Refuse:
        // The reason names the program, then the usage follows.
        QVERIFY2(command.text.startsWith(QStringLiteral("fundtally: ")), qPrintable(command.text));
        QVERIFY(command.text.contains(usage));
        QCOMPARE(command.exitCode(), CommandLineErrorExitCode);
        QVERIFY(command.exitCode() != 0);
        break;
    case Action::ShowHelp:
    case Action::ShowVersion:
        QCOMPARE(command.exitCode(), 0);
        break;
    }
    if (action == Action::ShowVersion)
        QCOMPARE(command.text, versionText);
}

void TestCommandLine::settledBeforeToolkit_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("settled");

    QTest::newRow("version") << QStringList{"fundtally", "--version"} << true;
    QTest::newRow("help") << QStringList{"fundtally", "-h"} << true;
    QTest::newRow("price") << QStringList{"fundtally", "--price", "VTI"} << true;
    QTest::newRow("two profiles") << QStringList{"fundtally", "a.ftly", "b.ftly"} << true;
    QTest::newRow("report") << QStringList{"fundtally", "--report", "a.ftly", "--json"} << true;
    QTest::newRow("forget prices") << QStringList{"fundtally", "--forget-prices"} << true;
    // A terminal command's mistakes are the program's, whatever else is there.
    QTest::newRow("report with a toolkit option")
        << QStringList{"fundtally", "-platform", "xcb", "--report", "a.ftly"} << true;
    QTest::newRow("JSON alone") << QStringList{"fundtally", "--json=1"} << true;
    // The window has to start for these.
    QTest::newRow("nothing") << QStringList{"fundtally"} << false;
    QTest::newRow("one profile") << QStringList{"fundtally", "a.ftly"} << false;
    // The toolkit's own options are left to it.
    QTest::newRow("toolkit option") << QStringList{"fundtally", "-platform", "xcb", "a.ftly"} << false;
    QTest::newRow("toolkit option joined") << QStringList{"fundtally", "--style=fusion", "a.ftly"} << false;
    QTest::newRow("unknown option") << QStringList{"fundtally", "--bogus"} << true;
    QTest::newRow("unknown beside a toolkit option")
        << QStringList{"fundtally", "-style", "fusion", "-x"} << true;
}

void TestCommandLine::settledBeforeToolkit()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, settled);
    const std::optional<CommandLine> early = commandLineBeforeToolkit(arguments);
    QCOMPARE(early.has_value(), settled);
    if (early)
        QCOMPARE(early->action, parseCommandLine(arguments).action);
}

void TestCommandLine::argumentsAreDecodedAsText()
{
    const char *const argv[] = {"fundtally", "caf\xc3\xa9 savings.ftly"};
    QCOMPARE(commandLineArguments(2, argv),
             (QStringList{"fundtally", QStringLiteral("caf\u00e9 savings.ftly")}));
}

void TestCommandLine::programAnswersWithoutADisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("--version") << QStringList{"--version"} << 0 << versionText << QString();
    QTest::newRow("--help") << QStringList{"--help"} << 0 << usage << QString();
    QTest::newRow("two profiles") << QStringList{"a.ftly", "b.ftly"} << CommandLineErrorExitCode << QString()
                                  << "2 files were given";
    QTest::newRow("report without a file") << QStringList{"--report"} << CommandLineErrorExitCode << QString()
                                           << "Missing value after '--report'";
    QTest::newRow("misspelt command") << QStringList{"--reprot", "x.ftly"} << CommandLineErrorExitCode
                                      << QString() << "Unknown option 'reprot'";
    QTest::newRow("unknown short option") << QStringList{"-x"} << CommandLineErrorExitCode << QString()
                                          << "Unknown option 'x'";
}

// The program itself, on a window system it cannot reach: had it started the
// toolkit before answering, it would abort for want of a display.
void TestCommandLine::programAnswersWithoutADisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(FUNDTALLY_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(30000));
    const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), qPrintable(stdOut));
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), qPrintable(stdErr));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
