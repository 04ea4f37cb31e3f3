#include "usagewriter.h"

#include <QIODevice>
#include <QXmlStreamReader>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype Width = 79;
const QString Indent = u"      "_s;

// `text` in lines of at most Width characters, each starting with `indent`,
// broken between words (a word longer than a line keeps its own line).
QString wrapped(const QString& text, const QString& indent) {
    QString out;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent.size() + line.size() + 1 + word.size() > Width) {
            out += indent + line + u'\n';
            line.clear();
        }
        line += (line.isEmpty() ? QString() : u" "_s) + word;
    }
    if (!line.isEmpty())
        out += indent + line + u'\n';
    return out;
}

// The first sentence of a paragraph: up to the first full stop that a
// capital letter follows.
QString firstSentence(const QString& text) {
    for (qsizetype i = 0; i + 2 < text.size(); ++i) {
        if (text[i] == u'.' && text[i + 1] == u' ' && text[i + 2].isUpper())
            return text.left(i + 1);
    }
    return text;
}

// The words of a synopsis with the brackets and bars around them taken off.
QStringList synopsisWords(const QString& synopsis) {
    QString words = synopsis;
    for (QChar c : {u'[', u']', u'|'})
        words.replace(c, u' ');
    return words.split(u' ', Qt::SkipEmptyParts);
}

// The long option a term starts with ("--port N" gives "port"); empty for none.
QString optionName(const QString& term) {
    const QString first = term.section(u' ', 0, 0).section(u',', 0, 0);
    return first.startsWith(u"--"_s) ? first.mid(2) : QString();
}

// The command a synopsis is of ("tallvane serve MEETFILE" gives "serve"),
// empty for the desktop program.
QString commandName(const QString& synopsis) {
    const QString word = synopsis.section(u' ', 1, 1);
    for (QChar c : word) {
        if (!c.isLower())
            return {};
    }
    return word;
}

// A C++ string literal of `text` in UTF-8, one source line per line of text.
QByteArray literal(const QString& text) {
    QByteArray out = "\"";
    for (char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n\"\n    \"";
        } else if (byte < 0x20 || byte >= 0x80) {
            out += '\\' + QByteArray::number(byte, 8).rightJustified(3, '0');
        } else {
            out += c;
        }
    }
    out += '"';
    return out.replace("\n    \"\"", "");
}

} // namespace

bool UsageWriter::read(QIODevice& page) {
    QXmlStreamReader reader(&page);
    QString section;
    QList<Entry>* list = nullptr;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.attributes().value(u"class"_s).split(u' ').contains(u"html-only"_s)) {
            reader.skipCurrentElement();
            continue;
        }
        const auto name = reader.name();
        if (name == u"h2"_s) {
            section = reader.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
            list = section == u"Commands"_s      ? &mCommands
                   : section == u"Options"_s     ? &mOptions
                   : section == u"Environment"_s ? &mEnvironment
                                                 : nullptr;
        } else if (name == u"pre"_s && section == u"Synopsis"_s) {
            mSynopsis = reader.readElementText().split(u'\n', Qt::SkipEmptyParts);
        } else if (list && (name == u"dt"_s || name == u"dd"_s)) {
            const QString text =
                reader.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
            if (name == u"dt"_s)
                list->append({text, {}});
            else if (!list->isEmpty())
                list->last().text = text;
        }
    }
    if (reader.hasError())
        mError = u"line %1: %2"_s.arg(reader.lineNumber()).arg(reader.errorString());
    else if (mSynopsis.isEmpty() || mCommands.isEmpty())
        mError = u"the page has no synopsis or no commands"_s;
    return mError.isEmpty();
}

QString UsageWriter::overview() const {
    QString text = u"Usage:\n"_s;
    for (const QString& line : mSynopsis) {
        text += u"  "_s + line + u'\n';
        for (const Entry& command : mCommands) {
            if (command.term == line)
                text += wrapped(firstSentence(command.text), Indent);
        }
    }
    text += u"\nOptions:\n"_s;
    for (const Entry& option : mOptions)
        text += u"  "_s + option.term + u'\n' + wrapped(option.text, Indent);
    if (!mEnvironment.isEmpty())
        text += u"\nEnvironment:\n"_s;
    for (const Entry& variable : mEnvironment)
        text += u"  "_s + variable.term + u'\n' + wrapped(variable.text, Indent);
    return text;
}

QList<UsageWriter::Entry> UsageWriter::optionsOf(const Entry& command) const {
    const QStringList words = synopsisWords(command.term);
    QList<Entry> options;
    for (const Entry& option : mOptions) {
        const QString name = optionName(option.term);
        if (!name.isEmpty() && words.contains(u"--"_s + name))
            options.append(option);
    }
    return options;
}

QList<UsageWriter::Entry> UsageWriter::commandUsages() const {
    QList<Entry> usages;
    for (const Entry& command : mCommands) {
        const QString name = commandName(command.term);
        if (name.isEmpty())
            continue;
        QString text = u"Usage: "_s + command.term + u"\n\n"_s + wrapped(command.text, QString()) +
                       u"\nOptions:\n"_s;
        for (const Entry& option : optionsOf(command))
            text += u"  "_s + option.term + u'\n' + wrapped(option.text, Indent);
        text += u"  -h, --help\n"_s + Indent + u"Prints this help.\n"_s;
        usages.append({name, text});
    }
    return usages;
}

QByteArray UsageWriter::source() const {
    QByteArray out = "// Made at build time from the manual's command-line page by\n"
                     "// tallvane-usagetexts: change the page, not this file.\n"
                     "#pragma once\n\n#include \"usagetexts.h\"\n\n"
                     "namespace UsageTextsData {\n\n";
    out += "inline constexpr const char* Overview =\n    " + literal(overview()) + ";\n\n";
    out += "inline constexpr UsageTexts::CommandUsage Commands[] = {\n";
    for (const Entry& usage : commandUsages())
        out += "    {" + literal(usage.term) + ",\n     " + literal(usage.text) + "},\n";
    out += "};\n\ninline constexpr UsageTexts::Option Options[] = {\n";
    for (const Entry& command : mCommands) {
        const QString name = commandName(command.term);
        if (name.isEmpty())
            continue;
        for (const Entry& option : optionsOf(command)) {
            const QString value = option.term.section(u' ', 1, 1);
            out += "    {" + literal(name) + ", " + literal(optionName(option.term)) + ", " +
                   literal(value) + ", " + literal(option.text) + "},\n";
        }
    }
    out += "};\n\n} // namespace UsageTextsData\n";
    return out;
}
