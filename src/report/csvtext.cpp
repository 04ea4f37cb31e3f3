#include "csvtext.h"

using namespace Qt::Literals::StringLiterals;

QString CsvText::field(const QString& text) {
    static const QString special = u",\"\r\n"_s;
    for (const QChar c : text) {
        if (special.contains(c))
            return u'"' + QString(text).replace(u"\""_s, u"\"\""_s) + u'"';
    }
    return text;
}

void CsvText::addRow(const QStringList& fields) {
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            mText += u',';
        mText += field(fields[i]);
    }
    mText += u"\r\n"_s;
}

QByteArray CsvText::toUtf8() const {
    return mText.toUtf8();
}
