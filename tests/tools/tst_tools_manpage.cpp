#include "datarows.h"
#include "manpagewriter.h"
#include "usagewriter.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// What roff would misread: a line that starts with a dot or quote is a
// request, a backslash an escape, and an option's dash must stay a minus.
class TestToolsManPage : public QObject {
    Q_OBJECT

    // The roff of a page "first" with `body` and, when given, a page "second"
    // with `more`; the writer's error when the first is refused.
    static QString manPage(const QByteArray& body, const QByteArray& more = {}) {
        ManPageWriter writer(u"tallvane"_s, 1, u"1.0"_s);
        QBuffer first;
        first.setData("<!DOCTYPE html><html><head><meta charset=\"utf-8\"/>"
                      "<meta name=\"description\" content=\"scores -- meets\"/>"
                      "<title>T</title></head><body>" +
                      body + "</body></html>");
        first.open(QIODevice::ReadOnly);
        if (!writer.addPage(first, u"first"_s))
            return writer.errorString();
        QBuffer second;
        second.setData("<html><body>" + more + "</body></html>");
        second.open(QIODevice::ReadOnly);
        if (!more.isEmpty())
            writer.addPage(second, u"second"_s);
        return QString::fromUtf8(writer.text());
    }

private Q_SLOTS:
    // Each page's body, a second page's, and how the roff ends.
    void pagesBecomeRoff_data() {
        addDataRows<QByteArray, QByteArray, QString>(
            {"body", "second", "expected"},
            {{{}, {}, u".SH NAME\ntallvane \\- scores -- meets\n"_s},
             {"<h1>Skipped</h1><h2>Exit status</h2><h3>Sub</h3>", "<h1>Trouble</h1><h2>Port</h2>",
              u".SH EXIT STATUS\n.SS Sub\n.SH TROUBLE\n.SS Port\n"_s},
             {"<p>.tallvane files</p><pre>.hidden\n'quoted</pre>",
              {},
              u".PP\n\\&.tallvane files\n.PP\n.nf\n\\&.hidden\n\\&'quoted\n.fi\n"_s},
             {"<p>Use <code>--port</code> <var>N</var>, a well-known\n  port <b>C:\\x</b>.</p>",
              {},
              u".PP\nUse \\fB\\-\\-port\\fR \\fIN\\fR, a well-known port \\fBC:\\ex\\fR.\n"_s},
             {"<p class=\"nav\"><a href=\"i.html\">Contents</a></p><p class=\"html-only\">"
              "<img src=\"a.png\"/></p><ul><li>one</li></ul>",
              {},
              u".IP \\(bu 2\none\n"_s}});
    }

    void pagesBecomeRoff() {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, second);
        QFETCH(QString, expected);
        const QString page = manPage(body, second);
        QVERIFY2(page.endsWith(expected), qPrintable(page));
    }

    // A command's usage holds the options its synopsis names and no other,
    // and the text wraps within 79 columns.
    void usageTextsComeFromThePage() {
        QBuffer page;
        page.setData("<html><body><h2>Synopsis</h2><pre>tallvane serve MEETFILE [--port N]\n"
                     "tallvane --help</pre><h2>Commands</h2><dl>"
                     "<dt><code>tallvane serve</code> <var>MEETFILE</var> [<code>--port</code> "
                     "<var>N</var>]</dt><dd>Serves the meet. It goes on and on and on and on "
                     "and on and on and on and on and on and on until it is stopped.</dd></dl>"
                     "<h2>Options</h2><dl><dt><code>--port</code> <var>N</var></dt>"
                     "<dd>The port.</dd><dt><code>--force</code></dt><dd>Replaces.</dd></dl>"
                     "</body></html>");
        page.open(QIODevice::ReadOnly);
        UsageWriter writer;
        QVERIFY2(writer.read(page), qPrintable(writer.errorString()));
        const QList<UsageWriter::Entry> usages = writer.commandUsages();
        QCOMPARE(usages.size(), 1);
        QCOMPARE(usages[0].term, u"serve"_s);
        const QString& usage = usages[0].text;
        QVERIFY(usage.startsWith(u"Usage: tallvane serve MEETFILE [--port N]\n"_s));
        QVERIFY(usage.contains(u"  --port N\n      The port.\n"_s));
        QVERIFY(!usage.contains(u"--force"_s));
        for (const QString& line : usage.split(u'\n'))
            QVERIFY2(line.size() <= 79, qPrintable(line));
        QVERIFY(writer.overview().contains(
            u"  tallvane serve MEETFILE [--port N]\n      Serves the meet.\n"_s));
        QVERIFY(writer.source().contains("{\"serve\", \"port\", \"N\", \"The port.\"}"));

        // A page without commands is refused.
        QBuffer bare;
        bare.setData("<html><body><h2>Synopsis</h2><pre>tallvane</pre></body></html>");
        bare.open(QIODevice::ReadOnly);
        QVERIFY(!UsageWriter().read(bare));
    }

    void unclosedElementIsAnError() { QVERIFY(manPage("<p>open").startsWith(u"first: line 1"_s)); }
};

QTEST_GUILESS_MAIN(TestToolsManPage)
#include "tst_tools_manpage.moc"
