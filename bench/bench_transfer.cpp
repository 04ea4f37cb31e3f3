// Import and export of a 10,000-gymnast meet, each against a floor measured in
// the same run with SQLite's C interface and the C library alone:
// - import: the same rows, already parsed, inserted with one prepared
//   statement per table in one transaction. An import must store every row,
//   and nothing stores rows in a meet file with less work than the engine's
//   own prepared insert; the floor skips even the reading of the file.
// - export: every row of the same tables stepped through and each value read
//   as text, then the export's own bytes written with one fwrite. An export
//   must read every value and write every byte; the floor does no formatting.
// Each figure is the median of a few rounds, floor and measured work taking
// turns so that other load hits both alike.
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
#include <QTemporaryDir>

#include <sqlite3.h>

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

// The tables' rows as SQLite binds them: a number as a number, a text as UTF-8.
void bindValue(sqlite3_stmt* statement, int at, const QVariant& value,
               std::vector<QByteArray>& texts) {
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        sqlite3_bind_null(statement, at);
        return;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        sqlite3_bind_int64(statement, at, value.toLongLong());
        return;
    case QMetaType::Double:
        sqlite3_bind_double(statement, at, value.toDouble());
        return;
    default:
        texts.push_back(value.toString().toUtf8());
        sqlite3_bind_text(statement, at, texts.back().constData(), int(texts.back().size()),
                          SQLITE_STATIC);
    }
}

// The rows' values made ready for binding before the clock starts.
using PreparedRows = std::vector<std::pair<const MeetSchema::Table*, QList<QVariantList>>>;

PreparedRows rowsOf(const MeetGenerator::MeetRows& meet) {
    PreparedRows rows;
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables())
        rows.emplace_back(table, meet.value(table->name));
    return rows;
}

bool insertRows(const QString& path, const PreparedRows& meet) {
    sqlite3* db = nullptr;
    bool ok =
        sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK &&
        sqlite3_exec(db, "PRAGMA synchronous=FULL; BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    std::vector<QByteArray> texts;
    for (const auto& [table, rows] : meet) {
        QStringList names;
        QStringList marks;
        for (const MeetSchema::Column& column : table->columns) {
            names.append(MeetSchema::quotedName(column.name));
            marks.append(u"?"_s);
        }
        const QByteArray sql = (u"INSERT INTO "_s + MeetSchema::quotedName(table->name) + u"("_s +
                                names.join(u", "_s) + u") VALUES("_s + marks.join(u", "_s) + u")"_s)
                                   .toUtf8();
        sqlite3_stmt* insert = nullptr;
        ok = ok && sqlite3_prepare_v2(db, sql.constData(), -1, &insert, nullptr) == SQLITE_OK;
        for (const QVariantList& row : rows) {
            if (!ok)
                break;
            texts.clear();
            for (int i = 0; i < row.size(); ++i)
                bindValue(insert, i + 1, row[i], texts);
            ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
        }
        sqlite3_finalize(insert);
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

bool readRowsAndWrite(const QString& meetPath, const QByteArray& bytes, const QString& target) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(meetPath.toUtf8().constData(), &db) == SQLITE_OK &&
              sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    size_t read = 0;
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables()) {
        const QByteArray sql = (u"SELECT * FROM "_s + MeetSchema::quotedName(table->name)).toUtf8();
        sqlite3_stmt* select = nullptr;
        ok = ok && sqlite3_prepare_v2(db, sql.constData(), -1, &select, nullptr) == SQLITE_OK;
        while (ok && sqlite3_step(select) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(select); ++c) {
                sqlite3_column_text(select, c);
                read += size_t(sqlite3_column_bytes(select, c));
            }
        }
        sqlite3_finalize(select);
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    FILE* file = std::fopen(target.toUtf8().constData(), "wb");
    ok = ok && file && read > 0 &&
         std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) == size_t(bytes.size());
    return (file ? std::fclose(file) == 0 : false) && ok;
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
    const PreparedRows rows = rowsOf(meet);
    QByteArray exportBytes;
    std::vector<double> importFloor, importTime, exportFloor, exportTime;
    for (int round = 0; round < Rounds; ++round) {
        importFloor.push_back(timed(
            [&] {
                TransferImporter::removeMeetFile(floorMeet);
                MeetDatabase::createMeetDatabase(floorMeet);
            },
            [&] { return insertRows(floorMeet, rows); }));
        importTime.push_back(timed([&] { TransferImporter::removeMeetFile(imported); },
                                   [&] { return TransferImporter(source, imported).run(); }));
        exportTime.push_back(
            timed([] {}, [&] { return TransferExport::exportMeetFile(imported, exported).ok; }));
        exportFloor.push_back(timed(
            [&] {
                QFile file(exported);
                exportBytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            },
            [&] { return readRowsAndWrite(imported, exportBytes, plain); }));
    }
    const double importMs = median(importTime);
    const double importFloorMs = median(importFloor);
    const double exportMs = median(exportTime);
    const double exportFloorMs = median(exportFloor);
    std::printf("medians of %d rounds\n", Rounds);
    report("import", importMs, "SQLite's own inserts, one transaction", importFloorMs);
    report("export", exportMs, "SQLite's own reads, one fwrite", exportFloorMs);
    printGoalRow("import, 10,000 gymnasts with scores", figure(importMs, "%.0f ms"),
                 figure(importFloorMs, "SQLite's C interface inserting the parsed rows, %.0f ms"),
                 importMs / importFloorMs, Goal::AtMost, 1.2);
    printGoalRow("export, same file", figure(exportMs, "%.0f ms"),
                 figure(exportFloorMs, "SQLite's C interface reading, one fwrite, %.0f ms"),
                 exportMs / exportFloorMs, Goal::AtMost, 1.2);
    return 0;
}
