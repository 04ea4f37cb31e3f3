#include "servedmeet.h"

#include "db/meetdatabase.h"
#include "scoreload.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>

using namespace Qt::Literals::StringLiterals;

namespace ServedMeet {

std::unique_ptr<ChildProgram> serve(const QString& meet, const QString& folder,
                                    const QStringList& more, std::function<void()> inChild) {
    return std::make_unique<ChildProgram>(QStringLiteral(TALLVANE_BIN),
                                          QStringList{u"serve"_s, meet, u"--port"_s, u"0"_s,
                                                      u"--web-port"_s, u"0"_s, u"--pin"_s, Pin} +
                                              more,
                                          folder, std::move(inChild));
}

QString webAddress(ChildProgram& server) {
    const QString line = server.waitForLine(u"Web pages at "_s, DeadlineMs);
    return line.isEmpty() ? QString() : line.mid(line.indexOf(u"http://"_s));
}

std::unique_ptr<ChildProgram> servePrimary(const QString& meet, const QString& folder, QString* web,
                                           int gymnasts) {
    web->clear();
    {
        MeetDatabase db;
        QFile pin(QDir(folder).filePath(u"operatorpin.txt"_s));
        if (!db.open(meet) || (gymnasts > 0 && !ScoreLoad::addGymnasts(db, 1000, gymnasts)) ||
            !pin.open(QIODevice::WriteOnly) || pin.write(OperatorPin.toLatin1()) <= 0)
            return {};
    }
    auto primary = serve(meet, folder);
    *web = webAddress(*primary);
    return primary;
}

std::unique_ptr<ChildProgram> follow(const QString& copy, const QString& web, const QString& folder,
                                     const QStringList& more) {
    return std::make_unique<ChildProgram>(QStringLiteral(TALLVANE_BIN),
                                          QStringList{u"serve"_s, copy, u"--follow"_s, web,
                                                      u"--operator-pin"_s, OperatorPin, u"--port"_s,
                                                      u"0"_s, u"--web-port"_s, u"0"_s} +
                                              more,
                                          folder);
}

Judges startJudges(const QString& target, const QString& folder, int first, int count) {
    Judges judges;
    for (const QString& event : ScoreLoad::Events) {
        QFile script(QDir(folder).filePath(event + QString::number(first) + u".txt"_s));
        if (!script.open(QIODevice::WriteOnly))
            return {};
        for (int num = first; num < first + count; ++num)
            script.write(ScoreLoad::sendScore(num, event).toLatin1() + '\n');
        script.close();
        judges.push_back(std::make_unique<ChildProgram>(
            QStringLiteral(TALLVANE_STATION_BIN),
            QStringList{target, u"--judge"_s, event, u"1"_s, u"--pin"_s, Pin, u"--line-mode"_s,
                        u"--script"_s, script.fileName()},
            folder));
    }
    return judges;
}

qsizetype confirmations(const Judges& judges) {
    qsizetype n = 0;
    for (const auto& judge : judges)
        n += judge->messages(u'<').count(u"SCORECONFIRM|0"_s);
    return n;
}

QHash<QString, QString> confirmedFinals(const Judges& judges) {
    QHash<QString, QString> confirmed;
    for (const auto& judge : judges) {
        const QStringList sent = judge->messages(u'>').filter(u"SENDSCORE|"_s);
        const qsizetype confirms = judge->messages(u'<').count(u"SCORECONFIRM|0"_s);
        // More confirmations than scores: a key no meet holds, so the check fails.
        if (confirms > sent.size())
            confirmed.insert(u"more confirmed than sent"_s, judge->everything());
        for (const QString& score : sent.first(qMin(confirms, sent.size()))) {
            const QStringList fields = score.split(u'|');
            confirmed.insert(fields[1] + u'/' + fields[4], fields[15]);
        }
    }
    return confirmed;
}

QString integrity(const QString& path) {
    QString answer;
    {
        // SQLite's own connection: the file as it was left, nothing mended first.
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"integrity"_s);
        db.setDatabaseName(path);
        const bool opened = db.open();
        QSqlQuery check(db);
        if (!opened)
            answer = db.lastError().text();
        else if (check.exec(u"PRAGMA integrity_check"_s) && check.next())
            answer = check.value(0).toString();
        else
            answer = check.lastError().text();
    }
    QSqlDatabase::removeDatabase(u"integrity"_s);
    return answer;
}

QStringList everyRow(const QString& path) {
    MeetDatabase db;
    if (!db.open(path))
        return {u"cannot open: "_s + db.lastError()};
    QStringList rows;
    const DbRows tables =
        db.select(u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"_s);
    for (int t = 0; t < tables.count(); ++t) {
        const QString table = tables.text(t, u"name"_s);
        const DbRows all = db.select(u"SELECT * FROM \"%1\" ORDER BY rowid"_s.arg(table));
        for (int r = 0; r < all.count(); ++r) {
            QStringList values;
            for (int c = 0; c < all.columnNames().size(); ++c)
                values << all.value(r, c).toString();
            rows << table + u": "_s + values.join(u'|');
        }
    }
    return rows;
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::AnyIPv4);
    return probe.serverPort();
}

} // namespace ServedMeet
