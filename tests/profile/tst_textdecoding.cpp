// Token decoding of profiles and the escaping of outside text in messages.

#include "messagetext.h"
#include "textdecoding.h"

#include <QTest>

class TestTextDecoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validUtf8_data();
    void validUtf8();
    void invalidUtf8_data();
    void invalidUtf8();
    void windows1252_data();
    void windows1252();
    void everyByteDecodesToOneCharacter();
    void profileToken_data();
    void profileToken();
    void escapedForMessage_data();
    void escapedForMessage();
};

void TestTextDecoding::validUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("ascii") << QByteArray("VTI 500") << QStringLiteral("VTI 500");
    QTest::newRow("two bytes") << QByteArray("Caf\xC3\xA9") << QStringLiteral("Café");
    QTest::newRow("lowest two-byte") << QByteArray("\xC2\x80") << QStringLiteral("\u0080");
    QTest::newRow("highest two-byte") << QByteArray("\xDF\xBF") << QStringLiteral("\u07FF");
    QTest::newRow("lowest three-byte") << QByteArray("\xE0\xA0\x80") << QStringLiteral("\u0800");
    QTest::newRow("euro sign") << QByteArray("\xE2\x82\xAC") << QStringLiteral("€");
    QTest::newRow("just below the surrogates") << QByteArray("\xED\x9F\xBF") << QStringLiteral("\uD7FF");
    QTest::newRow("just above the surrogates") << QByteArray("\xEE\x80\x80") << QStringLiteral("\uE000");
    QTest::newRow("byte order mark inside") << QByteArray("A\xEF\xBB\xBF") << QStringLiteral("A\uFEFF");
    QTest::newRow("lowest four-byte") << QByteArray("\xF0\x90\x80\x80") << QString::fromUcs4(U"\U00010000", 1);
    QTest::newRow("emoji") << QByteArray("\xF0\x9F\x9A\x80") << QStringLiteral("🚀");
    QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF") << QString::fromUcs4(U"\U0010FFFF", 1);
}

void TestTextDecoding::validUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const std::optional<QString> decoded = decodeUtf8(bytes);
    QVERIFY(decoded);
    QCOMPARE(*decoded, text);
}

void TestTextDecoding::invalidUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("lone continuation byte") << QByteArray("A\x80");
    QTest::newRow("Windows-1252 e acute") << QByteArray("Caf\xE9");
    QTest::newRow("cut two-byte sequence") << QByteArray("A\xC3");
    QTest::newRow("cut three-byte sequence") << QByteArray("\xE2\x82");
    QTest::newRow("cut four-byte sequence") << QByteArray("\xF0\x9F\x9A");
    QTest::newRow("lead byte then ascii") << QByteArray("\xC3" "A");
    QTest::newRow("overlong slash C0") << QByteArray("\xC0\xAF");
    QTest::newRow("overlong C1") << QByteArray("\xC1\xBF");
    QTest::newRow("overlong three-byte") << QByteArray("\xE0\x9F\xBF");
    QTest::newRow("overlong four-byte") << QByteArray("\xF0\x8F\xBF\xBF");
    QTest::newRow("first surrogate") << QByteArray("\xED\xA0\x80");
    QTest::newRow("last surrogate") << QByteArray("\xED\xBF\xBF");
    QTest::newRow("just past U+10FFFF") << QByteArray("\xF4\x90\x80\x80");
    QTest::newRow("lead F5") << QByteArray("\xF5\x80\x80\x80");
    QTest::newRow("byte FF") << QByteArray("\xFF");
    QTest::newRow("bad third byte") << QByteArray("\xE2\x82\x41");
    QTest::newRow("bad fourth byte") << QByteArray("\xF0\x9F\x9A\xC0");
}

void TestTextDecoding::invalidUtf8()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!decodeUtf8(bytes));
}

void TestTextDecoding::windows1252_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("ascii") << QByteArray("AZaz09#") << QStringLiteral("AZaz09#");
    QTest::newRow("delete") << QByteArray("\x7F") << QStringLiteral("\u007F");
    QTest::newRow("euro, first of the special row") << QByteArray("\x80") << QStringLiteral("€");
    QTest::newRow("undefined 81") << QByteArray("\x81") << QStringLiteral("\u0081");
    QTest::newRow("low quote") << QByteArray("\x82") << QStringLiteral("\u201A");
    QTest::newRow("ellipsis") << QByteArray("\x85") << QStringLiteral("…");
    QTest::newRow("S caron") << QByteArray("\x8A") << QStringLiteral("Š");
    QTest::newRow("undefined 8D") << QByteArray("\x8D") << QStringLiteral("\u008D");
    QTest::newRow("Z caron") << QByteArray("\x8E") << QStringLiteral("Ž");
    QTest::newRow("undefined 8F") << QByteArray("\x8F") << QStringLiteral("\u008F");
    QTest::newRow("undefined 90") << QByteArray("\x90") << QStringLiteral("\u0090");
    QTest::newRow("right single quote") << QByteArray("\x92") << QStringLiteral("’");
    QTest::newRow("em dash") << QByteArray("\x97") << QStringLiteral("—");
    QTest::newRow("trade mark") << QByteArray("\x99") << QStringLiteral("™");
    QTest::newRow("undefined 9D") << QByteArray("\x9D") << QStringLiteral("\u009D");
    QTest::newRow("Y diaeresis, last of the special row") << QByteArray("\x9F") << QStringLiteral("Ÿ");
    QTest::newRow("no-break space, first after it") << QByteArray("\xA0") << QStringLiteral("\u00A0");
    QTest::newRow("accents") << QByteArray("M\xFCnchen R\xFC" "ck") << QStringLiteral("München Rück");
    QTest::newRow("y diaeresis") << QByteArray("\xFF") << QStringLiteral("ÿ");
}

void TestTextDecoding::windows1252()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeWindows1252(bytes), text);
}

// Nothing is lost: 256 bytes give 256 different characters, none of them a
// replacement character.
void TestTextDecoding::everyByteDecodesToOneCharacter()
{
    QByteArray bytes;
    for (int byte = 0; byte < 256; ++byte)
        bytes.append(char(byte));
    const QString text = decodeWindows1252(bytes);
    QCOMPARE(text.size(), 256);
    QSet<QChar> characters(text.cbegin(), text.cend());
    QCOMPARE(characters.size(), 256);
    QVERIFY(!text.contains(QChar::ReplacementCharacter));
}

void TestTextDecoding::profileToken_data()
{
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<QString>("text");

    QTest::newRow("UTF-8") << QByteArray("Caf\xC3\xA9") << QStringLiteral("Café");
    QTest::newRow("Windows-1252") << QByteArray("Caf\xE9") << QStringLiteral("Café");
    QTest::newRow("UTF-8 euro") << QByteArray("\xE2\x82\xAC" "5") << QStringLiteral("€5");
    QTest::newRow("Windows-1252 euro") << QByteArray("\x80" "5") << QStringLiteral("€5");
    // One bad sequence makes the whole token Windows-1252.
    QTest::newRow("mixed within a token") << QByteArray("\xC3\xA9\xE9")
                                          << QStringLiteral("Ã©é");
}

void TestTextDecoding::profileToken()
{
    QFETCH(QByteArray, token);
    QFETCH(QString, text);
    QCOMPARE(decodeProfileToken(token), text);
}

void TestTextDecoding::escapedForMessage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("plain") << QStringLiteral("Total Bond 500") << QStringLiteral("Total Bond 500");
    QTest::newRow("accents and CJK") << QStringLiteral("Café 株式") << QStringLiteral("Café 株式");
    QTest::newRow("emoji") << QStringLiteral("🚀") << QStringLiteral("🚀");
    QTest::newRow("no-break space") << QStringLiteral("A\u00A0B") << QStringLiteral("A\u00A0B");
    QTest::newRow("backslash") << QStringLiteral("C:\\x") << QStringLiteral("C:\\x");
    QTest::newRow("start of heading") << QStringLiteral("\x01") << QStringLiteral("\\x01");
    QTest::newRow("nul") << QString(QChar(0)) << QStringLiteral("\\x00");
    QTest::newRow("line break and tab") << QStringLiteral("a\nb\tc") << QStringLiteral("a\\x0ab\\x09c");
    QTest::newRow("escape") << QStringLiteral("\x1B[2J") << QStringLiteral("\\x1b[2J");
    QTest::newRow("delete") << QStringLiteral("\x7F") << QStringLiteral("\\x7f");
    QTest::newRow("C1 control") << QStringLiteral("\u0081\u009D") << QStringLiteral("\\x81\\x9d");
    QTest::newRow("right-to-left override") << QStringLiteral("a\u202Eb") << QStringLiteral("a\\u202eb");
    QTest::newRow("line separator") << QStringLiteral("\u2028") << QStringLiteral("\\u2028");
    QTest::newRow("paragraph separator") << QStringLiteral("\u2029") << QStringLiteral("\\u2029");
    QTest::newRow("byte order mark") << QStringLiteral("\uFEFF") << QStringLiteral("\\ufeff");
    QTest::newRow("private use") << QStringLiteral("\uE000") << QStringLiteral("\\ue000");
    QTest::newRow("noncharacter") << QStringLiteral("\uFFFF") << QStringLiteral("\\uffff");
    QTest::newRow("private use past the BMP") << QString::fromUcs4(U"\U0010FFFD", 1)
                                              << QStringLiteral("\\U0010fffd");
    QTest::newRow("lone high surrogate") << QString(QChar(0xD800)) << QStringLiteral("\\ud800");
    QTest::newRow("lone low surrogate at the start") << (QChar(0xDC00) + QStringLiteral("x"))
                                                     << QStringLiteral("\\udc00x");
}

void TestTextDecoding::escapedForMessage()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(::escapedForMessage(text), shown);
}

QTEST_APPLESS_MAIN(TestTextDecoding)
#include "tst_textdecoding.moc"
