#include "manpagewriter.h"

#include <QIODevice>
#include <QRegularExpression>
#include <QXmlStreamReader>

using namespace Qt::Literals::StringLiterals;

namespace {

// Text as roff reads it: a backslash is escaped, and a dash in a command or
// option is a minus sign, so that it can be searched for and copied.
QString escaped(QStringView text, bool literalDashes) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\\')
            out += u"\\e"_s;
        else if (c == u'-' && literalDashes)
            out += u"\\-"_s;
        else
            out += c;
    }
    return out;
}

// A line of running text that starts like a request is protected from being one.
QString protectedLines(const QString& text) {
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        line = line.trimmed();
        if (!line.startsWith(u".br"_s) && (line.startsWith(u'.') || line.startsWith(u'\'')))
            line.prepend(u"\\&"_s);
    }
    lines.removeAll(QString());
    return lines.join(u'\n');
}

bool isLeftOut(const QXmlStreamReader& reader) {
    const QStringList classes = reader.attributes().value(u"class"_s).toString().split(u' ');
    const auto name = reader.name();
    return name == u"img"_s || name == u"script"_s || name == u"style"_s ||
           classes.contains(u"nav"_s) || classes.contains(u"html-only"_s);
}

class PageReader {
public:
    PageReader(QIODevice& device, bool first)
        : mReader(&device)
        , mFirst(first) {}

    bool read(QString* description, QString* body) {
        while (!mReader.atEnd()) {
            if (mReader.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (mReader.name() == u"meta"_s &&
                mReader.attributes().value(u"name"_s) == u"description"_s)
                *description = mReader.attributes().value(u"content"_s).toString().simplified();
            else if (mReader.name() == u"title"_s)
                mReader.skipCurrentElement();
            else if (mReader.name() == u"body"_s)
                blocks();
        }
        *body = mOut;
        return !mReader.hasError();
    }

    QString errorString() const {
        return u"line %1: %2"_s.arg(mReader.lineNumber()).arg(mReader.errorString());
    }

private:
    // The children of the current element, block by block, to its end.
    void blocks() {
        while (mReader.readNextStartElement()) {
            if (isLeftOut(mReader)) {
                mReader.skipCurrentElement();
                continue;
            }
            const auto name = mReader.name();
            if (name == u"h1"_s) {
                const QString title = inlineText();
                if (!mFirst)
                    put(u".SH "_s + title.toUpper());
            } else if (name == u"h2"_s) {
                const QString title = inlineText();
                put((mFirst ? u".SH "_s : u".SS "_s) + (mFirst ? title.toUpper() : title));
            } else if (name == u"h3"_s) {
                put(u".SS "_s + inlineText());
            } else if (name == u"p"_s) {
                emitParagraph(u".PP"_s, inlineText());
            } else if (name == u"pre"_s) {
                put(u".PP\n.nf\n"_s + preformatted() + u"\n.fi"_s);
            } else if (name == u"li"_s) {
                emitParagraph(u".IP \\(bu 2"_s, inlineText());
            } else if (name == u"dt"_s) {
                emitParagraph(u".TP"_s, inlineText());
            } else if (name == u"dd"_s) {
                emitParagraph(QString(), inlineText());
            } else {
                blocks(); // ul, ol, dl, div, section: their children are the blocks
            }
        }
    }

    void put(const QString& lines) { mOut += lines + u'\n'; }

    void emitParagraph(const QString& request, const QString& text) {
        const QString lines = protectedLines(text);
        if (lines.isEmpty())
            return;
        put(request.isEmpty() ? lines : request + u'\n' + lines);
    }

    // The current element's text with its font changes, spaces collapsed.
    QString inlineText() {
        QString text;
        inlineInto(text, u'R');
        static const QRegularExpression spaces(u" +"_s);
        return text.replace(spaces, u" "_s);
    }

    void inlineInto(QString& text, QChar font) {
        while (!mReader.atEnd()) {
            switch (mReader.readNext()) {
            case QXmlStreamReader::Characters:
                text += escaped(collapsed(mReader.text().toString()), font == u'B');
                break;
            case QXmlStreamReader::StartElement: {
                if (isLeftOut(mReader)) {
                    mReader.skipCurrentElement();
                    break;
                }
                const auto name = mReader.name();
                if (name == u"br"_s) {
                    text += u"\n.br\n"_s;
                    mReader.skipCurrentElement();
                    break;
                }
                QChar inner = font;
                if (name == u"b"_s || name == u"strong"_s || name == u"code"_s || name == u"kbd"_s)
                    inner = u'B';
                else if (name == u"i"_s || name == u"em"_s || name == u"var"_s)
                    inner = u'I';
                if (inner != font)
                    text += u"\\f"_s + inner;
                inlineInto(text, inner);
                if (inner != font)
                    text += u"\\f"_s + font;
                break;
            }
            case QXmlStreamReader::EndElement:
                return;
            default:
                break;
            }
        }
    }

    static QString collapsed(const QString& text) {
        static const QRegularExpression whitespace(u"\\s+"_s);
        return QString(text).replace(whitespace, u" "_s);
    }

    // A <pre> block keeps its lines; each is protected from being a request.
    QString preformatted() {
        const QString text = mReader.readElementText(QXmlStreamReader::IncludeChildElements);
        QStringList lines = escaped(text, true).split(u'\n');
        while (!lines.isEmpty() && lines.constFirst().trimmed().isEmpty())
            lines.removeFirst();
        while (!lines.isEmpty() && lines.constLast().trimmed().isEmpty())
            lines.removeLast();
        for (QString& line : lines) {
            if (line.startsWith(u'.') || line.startsWith(u'\''))
                line.prepend(u"\\&"_s);
        }
        return lines.join(u'\n');
    }

    QXmlStreamReader mReader;
    bool mFirst;
    QString mOut;
};

} // namespace

ManPageWriter::ManPageWriter(const QString& name, int section, const QString& version)
    : mName(name)
    , mSection(section)
    , mVersion(version) {}

bool ManPageWriter::addPage(QIODevice& page, const QString& pageName) {
    PageReader reader(page, mPages == 0);
    QString description;
    QString body;
    if (!reader.read(&description, &body)) {
        mError = pageName + u": "_s + reader.errorString();
        return false;
    }
    if (mPages == 0)
        mDescription = description;
    mBody += body;
    ++mPages;
    return true;
}

QByteArray ManPageWriter::text() const {
    QString page = u".TH %1 %2 \"\" \"%3 %4\" \"Tallvane Manual\"\n"_s.arg(
        mName.toUpper(), QString::number(mSection), mName, mVersion);
    page +=
        u".SH NAME\n"_s + escaped(mName, true) + u" \\- "_s + escaped(mDescription, false) + u'\n';
    page += mBody;
    return page.toUtf8();
}
