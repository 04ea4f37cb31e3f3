// Import and export of a 10,000-gymnast meet, each against a floor measured in
// the same run with SQLite's C interface and the C library alone, on a
// connection set as a meet's (write-ahead log, full sync, the same page cache):
// - import: a new meet file made in one transaction with its tables, the same
//   rows (taken from a first, untimed import: each value as the import stores
//   it, in its stored type, texts in UTF-8) bound to one prepared insert per
//   table, and the indexes a meet file carries,
//   built once after the rows. An import must make that file; nothing stores
//   rows with less work than the engine's own prepared insert, and the floor
//   skips even the reading of the transfer file. The run checks that floor
//   and import stored the same values of the same types.
// - export: every row of the same tables stepped through in one read
//   transaction, each value read in its stored type (no formatting), then
//   the export's own bytes written with one fwrite to a temporary file that
//   is synced and renamed, as every save that leaves no half file is. An
//   export must read every value and put every byte safely on the disk.
// Each figure is the median of a few rounds, floor and measured work taking
// turns so that other load hits both alike.
#include "db/meetdatabase.h"
#include "db/meetschema.h"
#include "goalrow.h"
#include "meetgenerator.h"
#include "spread.h"
#include "transfer/transferexport.h"
#include "transfer/transferimporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <unistd.h>

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

// A stored value made ready for SQLite before the clock starts: a number as a
// number, a text as the UTF-8 bytes the meet file holds.
struct BoundValue {
    int type = SQLITE_NULL;
    qint64 integer = 0;
    double real = 0;
    QByteArray text;
};

struct PreparedTable {
    const MeetSchema::Table* table;
    QByteArray insert;
    std::vector<std::vector<BoundValue>> rows;
};
using PreparedRows = std::vector<PreparedTable>;

// The rows exactly as an import stored them in `meetPath` (an empty field as
// the empty text, "Null" where a column keeps it): what the floor stores.
PreparedRows rowsOf(const QString& meetPath) {
    PreparedRows prepared;
    sqlite3* db = nullptr;
    sqlite3_open(meetPath.toUtf8().constData(), &db);
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables()) {
        QStringList names;
        QStringList marks;
        for (const MeetSchema::Column& column : table->columns) {
            names.append(MeetSchema::quotedName(column.name));
            marks.append(u"?"_s);
        }
        const QString name = MeetSchema::quotedName(table->name);
        const QString columns = names.join(u", "_s);
        PreparedTable each{table,
                           (u"INSERT INTO "_s + name + u"("_s + columns + u") VALUES("_s +
                            marks.join(u", "_s) + u")"_s)
                               .toUtf8(),
                           {}};
        const QByteArray sql = (u"SELECT "_s + columns + u" FROM "_s + name).toUtf8();
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &select, nullptr);
        while (select && sqlite3_step(select) == SQLITE_ROW) {
            std::vector<BoundValue> values(size_t(sqlite3_column_count(select)));
            for (int c = 0; c < int(values.size()); ++c) {
                BoundValue& value = values[size_t(c)];
                value.type = sqlite3_column_type(select, c);
                if (value.type == SQLITE_INTEGER)
                    value.integer = sqlite3_column_int64(select, c);
                else if (value.type == SQLITE_FLOAT)
                    value.real = sqlite3_column_double(select, c);
                else if (value.type == SQLITE_TEXT)
                    value.text =
                        QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(select, c)),
                                   sqlite3_column_bytes(select, c));
            }
            each.rows.push_back(std::move(values));
        }
        sqlite3_finalize(select);
        prepared.push_back(std::move(each));
    }
    sqlite3_close(db);
    return prepared;
}

bool exec(sqlite3* db, const QString& sql) {
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The connection as a meet runs it: write-ahead log, full sync, the page cache.
bool meetSettings(sqlite3* db) {
    return exec(db, u"PRAGMA journal_mode=WAL"_s) && exec(db, u"PRAGMA synchronous=FULL"_s) &&
           exec(db, u"PRAGMA cache_size=-65536"_s);
}

// The import's work done the simplest way: a new meet file, its tables, the
// rows and the indexes a meet file carries, in one transaction.
bool insertRows(const QString& path, const PreparedRows& meet) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK && meetSettings(db) &&
              exec(db, u"BEGIN"_s);
    for (const MeetSchema::Table& table : MeetSchema::tables())
        ok = ok && exec(db, MeetSchema::createStatement(table));
    ok = ok && exec(db, u"INSERT INTO current_settings(sessionid, session_desc) VALUES('', '')"_s);
    for (const PreparedTable& table : meet) {
        sqlite3_stmt* insert = nullptr;
        ok = ok &&
             sqlite3_prepare_v2(db, table.insert.constData(), -1, &insert, nullptr) == SQLITE_OK;
        for (const std::vector<BoundValue>& row : table.rows) {
            if (!ok)
                break;
            for (size_t i = 0; i < row.size(); ++i) {
                const BoundValue& value = row[i];
                const int at = int(i) + 1;
                if (value.type == SQLITE_INTEGER)
                    sqlite3_bind_int64(insert, at, value.integer);
                else if (value.type == SQLITE_FLOAT)
                    sqlite3_bind_double(insert, at, value.real);
                else if (value.type == SQLITE_TEXT)
                    sqlite3_bind_text(insert, at, value.text.constData(), int(value.text.size()),
                                      SQLITE_STATIC);
                else
                    sqlite3_bind_null(insert, at);
            }
            ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
        }
        sqlite3_finalize(insert);
    }
    for (const QString& index : MeetSchema::indexStatements())
        ok = ok && exec(db, index);
    ok = ok && exec(db, u"COMMIT"_s);
    sqlite3_close(db);
    return ok;
}

// The export's work done the simplest way: every value of the same tables
// read in its stored type in one read transaction, then the export's bytes
// written with one fwrite to a temporary file that is synced and renamed, as
// a save that never leaves half a file must be.
bool readRowsAndWrite(const QString& meetPath, const QByteArray& bytes, const QString& target) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(meetPath.toUtf8().constData(), &db) == SQLITE_OK && meetSettings(db) &&
              exec(db, u"BEGIN"_s);
    size_t read = 0;
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables()) {
        QStringList names;
        for (const MeetSchema::Column& column : table->columns)
            names.append(MeetSchema::quotedName(column.name));
        const QByteArray sql =
            (u"SELECT "_s + names.join(u", "_s) + u" FROM "_s + MeetSchema::quotedName(table->name))
                .toUtf8();
        sqlite3_stmt* select = nullptr;
        ok = ok && sqlite3_prepare_v2(db, sql.constData(), -1, &select, nullptr) == SQLITE_OK;
        const int columns = ok ? sqlite3_column_count(select) : 0;
        while (ok && sqlite3_step(select) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(select, c)) {
                case SQLITE_INTEGER:
                    read += size_t(sqlite3_column_int64(select, c) & 1);
                    break;
                case SQLITE_FLOAT:
                    read += sqlite3_column_double(select, c) > 0 ? 1 : 0;
                    break;
                case SQLITE_NULL:
                    break;
                default:
                    read += size_t(sqlite3_column_text(select, c) != nullptr) +
                            size_t(sqlite3_column_bytes(select, c));
                }
            }
        }
        sqlite3_finalize(select);
    }
    ok = ok && exec(db, u"COMMIT"_s);
    sqlite3_close(db);
    const QByteArray temporary = (target + u".part"_s).toUtf8();
    FILE* file = std::fopen(temporary.constData(), "wb");
    ok = ok && file && read > 0 &&
         std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) == size_t(bytes.size()) &&
         std::fflush(file) == 0 && ::fdatasync(fileno(file)) == 0;
    ok = (file ? std::fclose(file) == 0 : false) && ok;
    return ok && std::rename(temporary.constData(), target.toUtf8().constData()) == 0;
}

// Every stored value of the meet-data tables of `a` as in `b`, row by row:
// the floor stored what the import stores.
bool sameRows(const QString& a, const QString& b) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(a.toUtf8().constData(), &db) == SQLITE_OK &&
              exec(db, u"ATTACH DATABASE '"_s + QString(b).replace(u'\'', u"''"_s) + u"' AS b"_s);
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables()) {
        const QString name = MeetSchema::quotedName(table->name);
        QStringList values;
        for (const MeetSchema::Column& column : table->columns) {
            const QString quoted = MeetSchema::quotedName(column.name);
            values << quoted << u"typeof("_s + quoted + u")"_s;
        }
        const QString all = values.join(u", "_s);
        // Rows of either side missing from the other, types and values compared.
        const QByteArray sql = (u"SELECT (SELECT count(*) FROM (SELECT "_s + all +
                                u" FROM main."_s + name + u" EXCEPT SELECT "_s + all +
                                u" FROM b."_s + name + u")) + (SELECT count(*) FROM (SELECT "_s +
                                all + u" FROM b."_s + name + u" EXCEPT SELECT "_s + all +
                                u" FROM main."_s + name + u")), (SELECT count(*) FROM main."_s +
                                name + u") - (SELECT count(*) FROM b."_s + name + u")"_s)
                                   .toUtf8();
        sqlite3_stmt* check = nullptr;
        ok = ok && sqlite3_prepare_v2(db, sql.constData(), -1, &check, nullptr) == SQLITE_OK &&
             sqlite3_step(check) == SQLITE_ROW && sqlite3_column_int64(check, 0) == 0 &&
             sqlite3_column_int64(check, 1) == 0;
        sqlite3_finalize(check);
        if (!ok) {
            std::fprintf(stderr, "bench_transfer: %s differs between the floor and the import\n",
                         qPrintable(table->name));
            // The first row of each side that the other lacks, to see how.
            for (const auto& [from, other] :
                 {std::pair(u"main"_s, u"b"_s), std::pair(u"b"_s, u"main"_s)}) {
                const QByteArray example = (u"SELECT "_s + all + u" FROM "_s + from + u"."_s +
                                            name + u" EXCEPT SELECT "_s + all + u" FROM "_s +
                                            other + u"."_s + name + u" LIMIT 1"_s)
                                               .toUtf8();
                sqlite3_stmt* row = nullptr;
                if (sqlite3_prepare_v2(db, example.constData(), -1, &row, nullptr) == SQLITE_OK &&
                    sqlite3_step(row) == SQLITE_ROW) {
                    std::fprintf(stderr, "  %s:", qPrintable(from));
                    for (int c = 0; c < sqlite3_column_count(row); c += 2)
                        std::fprintf(
                            stderr, " %s=%s(%s)", sqlite3_column_name(row, c),
                            reinterpret_cast<const char*>(sqlite3_column_text(row, c)),
                            reinterpret_cast<const char*>(sqlite3_column_text(row, c + 1)));
                    std::fprintf(stderr, "\n");
                }
                sqlite3_finalize(row);
            }
            break;
        }
    }
    sqlite3_close(db);
    return ok;
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
    // One import untimed, whose stored rows the floor then stores.
    if (!TransferImporter(source, imported).run())
        return 1;
    const PreparedRows rows = rowsOf(imported);
    QByteArray exportBytes;
    std::vector<double> importFloor, importTime, exportFloor, exportTime;
    for (int round = 0; round < Rounds; ++round) {
        importFloor.push_back(timed([&] { TransferImporter::removeMeetFile(floorMeet); },
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
    if (!sameRows(floorMeet, imported))
        return 1;
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
