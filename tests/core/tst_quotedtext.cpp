#include "quotedtext.h"

#include <QTest>

class TestQuotedText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cutsLongTextShort();
};

void TestQuotedText::cutsLongTextShort()
{
    const QString longest(kMaxQuotedLength, u'x');
    QCOMPARE(quotedText(longest), u'"' + longest + u'"');
    QCOMPARE(quotedText(longest + u'y'), u'"' + longest + QStringLiteral("\u2026\""));
}

QTEST_GUILESS_MAIN(TestQuotedText)
#include "tst_quotedtext.moc"
