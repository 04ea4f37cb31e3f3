#include "operatoralerts.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString printable(QStringView text, qsizetype maxLength) {
    QString kept;
    kept.reserve(qMin(text.size(), maxLength));
    for (const QChar ch : text) {
        if (kept.size() >= maxLength)
            break;
        if (ch.category() != QChar::Other_Control)
            kept.append(ch);
    }
    return kept;
}

} // namespace

QString OperatorAlerts::stationValue(const QString& value) {
    return printable(value, MaxStationValue);
}

QString OperatorAlerts::lineText(const Line& line) {
    QString text = line.last.toString(u"HH:mm:ss"_s) + u"  "_s + line.text;
    if (line.count > 1)
        text += u"  (%1 times)"_s.arg(line.count);
    return text;
}

void OperatorAlerts::raise(const QString& untrimmed) {
    const QString text = printable(untrimmed, MaxText);
    const QTime now = QTime::currentTime();
    qsizetype row = mLines.size() - 1;
    while (row >= 0 && mLines[row].text != text)
        --row;
    const int last = int(mLines.size()) - 1;
    if (row >= 0) {
        if (row != last) {
            mModel.moveRows({}, int(row), 1, {}, int(mLines.size()));
            mLines.move(row, last);
        }
        ++mLines[last].count;
        mLines[last].last = now;
    } else {
        mLines.append({text, 1, now});
        mModel.insertRows(int(mLines.size()) - 1, 1);
        const qsizetype excess = mLines.size() - MaxLines;
        if (excess > 0) {
            mModel.removeRows(0, int(excess));
            mLines.remove(0, excess);
        }
    }
    const Line& line = mLines.constLast();
    mModel.setData(mModel.index(int(mLines.size()) - 1), lineText(line));
    Q_EMIT alertRaised(now.toString(u"HH:mm:ss"_s) + u"  "_s + text);
}

void OperatorAlerts::clear() {
    mLines.clear();
    mModel.setStringList({});
    Q_EMIT cleared();
}
