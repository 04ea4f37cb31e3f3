// Import and export of a 10,000-gymnast meet, each against a floor measured in
// the same run: the same rows inserted with one prepared statement per table in
// one transaction (import), and the same rows read and written as plain text
// without any formatting (export). Each figure is the median of a few rounds,
// floor and measured work taking turns so that other load hits both alike.
#include "db/meetdatabase.h"
#include "db/meetschema.h"
#include "goalrow.h"
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
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Gymnasts = 10000;
constexpr int Rounds = 5;

// One round in milliseconds; `prepare` runs untimed before it.
double timed(const std::function<void()>& prepare, const std::function<bool()>& work) {
    prepare();
    QElapsedTimer clock;
    clock.start();
    if (!work()) {
        std::fprintf(stderr, "bench_transfer: a round failed\n");
        std::exit(1);
    }
    return double(clock.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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
    std::printf("%-8s %9.1f ms   floor: %-40s %9.1f ms   ratio %5.2f\n", what, measured, floorName,
                floor, measured / floor);
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

    const QString exported = dir.filePath(u"exported.rxt"_s);
    const QString plain = dir.filePath(u"plain.txt"_s);
    std::vector<double> importFloor, importTime, exportFloor, exportTime;
    for (int round = 0; round < Rounds; ++round) {
        importFloor.push_back(timed(
            [&] {
                TransferImporter::removeMeetFile(floorMeet);
                MeetDatabase::createMeetDatabase(floorMeet);
            },
            [&] { return insertRows(floorMeet, meet); }));
        importTime.push_back(timed([&] { TransferImporter::removeMeetFile(imported); },
                                   [&] { return TransferImporter(source, imported).run(); }));
        exportFloor.push_back(timed([] {}, [&] { return writePlainText(imported, plain); }));
        exportTime.push_back(
            timed([] {}, [&] { return TransferExport::exportMeetFile(imported, exported).ok; }));
    }
    const double importMs = median(importTime);
    const double importFloorMs = median(importFloor);
    const double exportMs = median(exportTime);
    const double exportFloorMs = median(exportFloor);
    std::printf("medians of %d rounds\n", Rounds);
    report("import", importMs, "prepared inserts, one transaction", importFloorMs);
    report("export", exportMs, "rows read, unformatted text written", exportFloorMs);
    printGoalRow("import, 10,000 gymnasts with scores", figure(importMs, "%.0f ms"),
                 figure(importFloorMs, "prepared inserts in one transaction, %.0f ms"),
                 importMs / importFloorMs, Goal::AtMost, 1.5);
    printGoalRow("export, same file", figure(exportMs, "%.0f ms"),
                 figure(exportFloorMs, "rows read, unformatted text written, %.0f ms"),
                 exportMs / exportFloorMs, Goal::AtMost, 1.5);
    return 0;
}
