#include "quotepage.h"

#include "gzipbomb.h"

namespace {

const QByteArray kFirstFourLines = "<!DOCTYPE html>\n"
                                   "<html lang=\"en\">\n"
                                   "<head><meta charset=\"utf-8\"><title>quote</title></head>\n"
                                   "<body><div id=\"app\">\n";

} // namespace

QuotePage QuotePage::withPrice(const QByteArray &symbol, const QByteArray &priceText)
{
    QuotePage page;
    page.body = "<!DOCTYPE html>\n"
                "<html lang=\"en\">\n"
                "<head><meta charset=\"utf-8\"><title>" + symbol + " quote</title></head>\n"
                "<body><div id=\"app\">\n"
                "<h1><!-- react-text: 36 -->" + symbol + "<!-- /react-text --></h1>"
                "<span class=\"price\"><!-- react-text: 36 -->" + priceText
                + "<!-- /react-text --></span>\n"
                "</div></body>\n"
                "</html>\n";
    return page;
}

QuotePage QuotePage::notFound()
{
    QuotePage page;
    page.status = "404 Not Found";
    page.body = "<!DOCTYPE html>\n<html>\n<head><title>Not found</title></head>\n"
                "<body>\n<p>No such symbol.</p>\n</body>\n</html>\n";
    return page;
}

QuotePage QuotePage::redirectTo(const QByteArray &location)
{
    QuotePage page;
    page.status = "302 Found";
    page.extraHeaders = "Location: " + location + "\r\n";
    page.body = "<!DOCTYPE html>\n<html>\n<body>\n<p>Moved.</p>\n</body>\n</html>\n";
    return page;
}

QuotePage QuotePage::gzipOfZeros(int megabytes)
{
    QuotePage page;
    page.extraHeaders = "Content-Encoding: gzip\r\n";
    page.body = gzipOfZeroMegabytes(megabytes);
    return page;
}

QuotePage QuotePage::endlessFirstLine(qint64 bytes)
{
    QuotePage page;
    page.fillerBytes = bytes;
    page.filler = Filler::Unbroken;
    return page;
}

QuotePage QuotePage::endlessFifthLine(const QByteArray &start, qint64 bytes)
{
    QuotePage page;
    page.body = kFirstFourLines + start;
    page.fillerBytes = bytes;
    page.filler = Filler::Unbroken;
    return page;
}

QByteArray QuotePage::head() const
{
    const bool toClose = delivery == Delivery::UntilClose || delivery == Delivery::CutByTcpClose;
    QByteArray head = (toClose ? "HTTP/1.0 " : "HTTP/1.1 ") + status + "\r\n"
                      "Content-Type: text/html; charset=utf-8\r\n" + extraHeaders;
    if (!toClose) {
        head += "Content-Length: " + QByteArray::number(body.size() + fillerBytes) + "\r\n"
                "Connection: keep-alive\r\n";
    }
    return head + "\r\n";
}

QuotePage QuotePage::endlessHead(Filler filler, qint64 bytes)
{
    QuotePage page = withPrice("ODD", "42.5");
    page.filler = filler;
    page.fillerBytes = bytes;
    return page;
}

QuotePage QuotePage::priceAtOffset(const QByteArray &priceText, qsizetype priceAt, qsizetype lineBytes)
{
    const QByteArray markers = "<h1><!-- react-text: 36 -->ODD<!-- /react-text --></h1><b>";
    const QByteArray second = "<!-- react-text: 36 -->";
    QByteArray line = markers;
    line += QByteArray(priceAt - markers.size() - second.size(), 'x');
    line += second + priceText + "<!-- /react-text --></b>";
    if (line.size() < lineBytes)
        line += QByteArray(lineBytes - line.size(), 'y');
    QuotePage page;
    page.body = kFirstFourLines + line + "\n</div></body>\n</html>\n";
    return page;
}
