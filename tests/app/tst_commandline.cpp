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
    // The window has to start for these.
    QTest::newRow("nothing") << QStringList{"fundtally"} << false;
    QTest::newRow("one profile") << QStringList{"fundtally", "a.ftly"} << false;
    // Unknown to the program, but it may be the toolkit's: it decides later.
    QTest::newRow("toolkit option") << QStringList{"fundtally", "-platform", "xcb", "a.ftly"} << false;
    QTest::newRow("unknown option") << QStringList{"fundtally", "--bogus"} << false;
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
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
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
