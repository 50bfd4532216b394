#include "answerlimits.h"
#include "textpattern.h"

#include <QTest>

using AnswerLimits::kMaxPatternChars;

namespace {

// A quote web page with the price in an attribute and in the text.
const QByteArray kPage =
    "<!doctype html><html><head><title>VTI quote</title></head><body>\n"
    "<div class=\"quote\" data-symbol=\"VTI\" data-price=\"245.87\" data-currency=\"USD\">\n"
    "<span class=\"last\">245.87</span> <span class=\"change\">+1.02 (0.42%)</span>\n"
    "<span class=\"eur\">\xe2\x82\xac 226,10</span>\n"
    "</div></body></html>\n";

} // namespace

class TestTextPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusesPatterns_data();
    void refusesPatterns();
    void findsFirstMatch_data();
    void findsFirstMatch();
    void showsContext();
};

void TestTextPattern::refusesPatterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<TextPatternError>("error");

    using E = TextPatternError;
    // Each \pL is a large set of ranges: repeated, it compiles past the memory cap.
    QTest::newRow("valid") << R"re(data-price="([0-9.]+)")re" << E::None;
    QTest::newRow("at the length limit") << "(a)" + QString(kMaxPatternChars - 3, u'b') << E::None;
    QTest::newRow("past the length limit") << "(a)" + QString(kMaxPatternChars - 2, u'b') << E::TooLong;
    QTest::newRow("small enough to compile") << R"((\pL{20}))" << E::None;
    QTest::newRow("past the memory cap") << R"((\pL{1000}))" << E::TooLarge;
    QTest::newRow("empty") << "" << E::Empty;
    QTest::newRow("unbalanced") << "(abc" << E::Invalid;
    QTest::newRow("backreference") << R"((a)\1)" << E::Invalid;
    QTest::newRow("no group") << R"(\d+\.\d+)" << E::NotOneGroup;
    QTest::newRow("two groups") << R"((\d+)\.(\d+))" << E::NotOneGroup;
    QTest::newRow("non-capturing group only") << R"((?:\d+))" << E::NotOneGroup;
}

void TestTextPattern::refusesPatterns()
{
    QFETCH(QString, pattern);
    QFETCH(TextPatternError, error);

    const TextPattern parsed(pattern);
    QCOMPARE(parsed.error(), error);
    QCOMPARE(parsed.isValid(), error == TextPatternError::None);
}

void TestTextPattern::findsFirstMatch_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("captured");  // empty: no match
    QTest::addColumn<QString>("matched");

    QTest::newRow("attribute") << R"re(data-price="([^"]*)")re" << "245.87" << R"(data-price="245.87")";
    QTest::newRow("first of two") << R"(>([0-9.+]+)<)" << "245.87" << ">245.87<";
    QTest::newRow("group in an optional part, not taken") << R"(zzz(\d)?|<title>)" << "" << "";
    QTest::newRow("no match") << R"re(data-bid="([^"]*)")re" << "" << "";
    QTest::newRow("non-ASCII pattern") << R"(€ ?([\d,]+))" << "226,10" << "€ 226,10";
}

void TestTextPattern::findsFirstMatch()
{
    QFETCH(QString, pattern);
    QFETCH(QString, captured);
    QFETCH(QString, matched);

    const std::optional<TextMatch> match = TextPattern(pattern).firstMatch(kPage);
    QCOMPARE(match.has_value(), !captured.isEmpty());
    if (match) {
        QCOMPARE(match->captured, captured);
        QCOMPARE(match->matched, matched);
    }
}

void TestTextPattern::showsContext()
{
    const QByteArray before = QByteArray("ab").repeated(60);   // 120 characters
    const QByteArray after = QByteArray("é").repeated(100);    // 100 characters, 200 bytes
    const std::optional<TextMatch> match = TextPattern("<(.)>").firstMatch(before + "<x>" + after);
    QVERIFY(match);
    QCOMPARE(match->before, QString("ab").repeated(40));
    QCOMPARE(match->after, QString(u'é').repeated(80));
    QCOMPARE(match->matched, "<x>");

    const std::optional<TextMatch> near = TextPattern("<(.)>").firstMatch("12<y>3");
    QVERIFY(near);
    QCOMPARE(near->before, "12");
    QCOMPARE(near->after, "3");
}

QTEST_GUILESS_MAIN(TestTextPattern)
#include "tst_textpattern.moc"
