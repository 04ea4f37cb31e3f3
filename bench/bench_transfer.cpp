// Import and export of a 10,000-gymnast meet, each against a floor measured in
// the same run: the same rows inserted with one prepared statement per table in
// one transaction (import), and the same rows read and written as plain text
// without any formatting (export).
#include "db/meetdatabase.h"
#include "db/meetschema.h"
#include "meetgenerator.h"
#include "transfer/transferexport.h"
#include "transfer/transferimporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Gymnasts = 10000;
constexpr int Rounds = 3;

// The best of a few rounds, in milliseconds; `prepare` runs untimed before each.
double best(const std::function<void()>& prepare, const std::function<bool()>& work) {
    double fastest = 1e300;
    for (int round = 0; round < Rounds; ++round) {
        prepare();
        QElapsedTimer clock;
        clock.start();
        if (!work()) {
            std::fprintf(stderr, "bench_transfer: a round failed\n");
            std::exit(1);
        }
        fastest = std::min(fastest, clock.nsecsElapsed() / 1e6);
    }
    return fastest;
}

bool insertRows(const QString& path, const MeetGenerator::MeetRows& meet) {
    MeetDatabase db;
    if (!db.open(path) || !db.beginTransaction())
        return false;
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables()) {
        QStringList names;
        QStringList marks;
        for (const MeetSchema::Column& column : table->columns) {
            names.append(MeetSchema::quotedName(column.name));
            marks.append(u"?"_s);
        }
        QSqlQuery query(db.connection());
        if (!query.prepare(u"INSERT INTO "_s + MeetSchema::quotedName(table->name) + u"("_s +
                           names.join(u", "_s) + u") VALUES("_s + marks.join(u", "_s) + u")"_s))
            return false;
        for (const QVariantList& row : meet.value(table->name)) {
            for (int i = 0; i < row.size(); ++i)
                query.bindValue(i, row[i]);
            if (!query.exec())
                return false;
        }
    }
    return db.commit();
}

bool writePlainText(const QString& meetPath, const QString& target) {
    MeetDatabase db;
    QFile file(target);
    if (!db.open(meetPath) || !file.open(QIODevice::WriteOnly))
        return false;
    QByteArray buffer;
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables()) {
        QSqlQuery query(db.connection());
        query.setForwardOnly(true);
        if (!query.exec(u"SELECT * FROM "_s + MeetSchema::quotedName(table->name)))
            return false;
        while (query.next()) {
            for (int c = 0; c < table->columns.size(); ++c) {
                buffer += table->columns[c].name.toLatin1();
                buffer += '=';
                buffer += query.value(c).toString().toLatin1();
                buffer += "\r\n";
            }
            if (buffer.size() > 256 * 1024) {
                file.write(buffer);
                buffer.clear();
            }
        }
    }
    return file.write(buffer) == buffer.size();
}

void report(const char* what, double measured, const char* floorName, double floor) {
    std::printf("%-8s %9.1f ms   %-44s %9.1f ms   ratio %5.2f\n", what, measured, floorName, floor,
                measured / floor);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    MeetGenerator::Options options;
    options.gymnasts = Gymnasts;
    options.scores = true;
    const MeetGenerator::MeetRows meet = MeetGenerator::build(options);
    const QString source = dir.filePath(u"big.rxt"_s);
    {
        QSaveFile file(source);
        if (!file.open(QIODevice::WriteOnly) || !MeetGenerator::write(meet, &file) ||
            !file.commit())
            return 1;
    }
    const QString imported = dir.filePath(u"imported.tallvane"_s);
    const QString floorMeet = dir.filePath(u"floor.tallvane"_s);
    std::printf("transfer file of %d gymnasts with scores: %lld bytes\n", Gymnasts,
                static_cast<long long>(QFile(source).size()));

    const double importFloor = best(
        [&] {
            TransferImporter::removeMeetFile(floorMeet);
            MeetDatabase::createMeetDatabase(floorMeet);
        },
        [&] { return insertRows(floorMeet, meet); });
    const double importTime = best([&] { TransferImporter::removeMeetFile(imported); },
                                   [&] { return TransferImporter(source, imported).run(); });
    report("import", importTime, "floor: prepared inserts, one transaction", importFloor);

    const QString exported = dir.filePath(u"exported.rxt"_s);
    const QString plain = dir.filePath(u"plain.txt"_s);
    const double exportFloor = best([] {}, [&] { return writePlainText(imported, plain); });
    const double exportTime =
        best([] {}, [&] { return TransferExport::exportMeetFile(imported, exported).ok; });
    report("export", exportTime, "floor: read rows, write unformatted text", exportFloor);
    return 0;
}
