#include "transferexport.h"

#include "db/meetfiles.h"
#include "db/meetschema.h"
#include "db/tables/wholetable.h"
#include "transferwriter.h"

#include <QFileInfo>
#include <QSaveFile>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace TransferExport {

namespace {

Result failure(const QString& error) {
    Result result;
    result.error = error;
    return result;
}

} // namespace

Result writeMeet(MeetDatabase& db, QIODevice* device, const Observer& observer) {
    if (!db.isOpen())
        return failure(u"No meet file is open."_s);
    // A read transaction: every table below is read as the meet stood at the first.
    if (!db.beginTransaction())
        return failure(db.lastError());
    struct EndRead {
        MeetDatabase& db;
        ~EndRead() { db.rollback(); }
    } endRead{db};
    return writeTables(db, device, observer);
}

Result writeTables(MeetDatabase& db, QIODevice* device, const Observer& observer) {
    TransferWriter writer(device);
    writer.writeHeader();
    Result result;
    const QList<const MeetSchema::Table*> tables = MeetSchema::meetDataTables();
    for (int t = 0; t < tables.size(); ++t) {
        const MeetSchema::Table& table = *tables[t];
        if (observer.tableStarted)
            observer.tableStarted(t + 1, table.name);
        // The number of rows only matters to a progress display.
        WholeTable whole(db, table);
        qint64 rows = 0;
        if (observer.rowWritten) {
            const std::optional<qint64> count = whole.rowCount();
            if (!count)
                return failure(u"Reading %1 failed: %2"_s.arg(table.name, whole.lastError()));
            rows = *count;
        }

        const std::unique_ptr<Utf8Statement> select = whole.utf8Reader();
        if (!select)
            return failure(u"Reading %1 failed: %2"_s.arg(table.name, whole.lastError()));
        Utf8Statement& query = *select;

        qint64 written = 0;
        while (query.next()) {
            if (observer.cancelled && observer.cancelled())
                return failure(u"The export was stopped."_s);
            // The row's texts are the engine's: the writer is done with them
            // before the next step.
            writer.writeRecord(table, ++written, query);
            if (!writer.ok())
                return failure(writer.errorString());
            if (observer.rowWritten)
                observer.rowWritten(written, std::max(rows, written));
        }
        if (!query.error().isEmpty())
            return failure(u"Reading %1 failed: %2"_s.arg(table.name, query.error()));
        writer.writeTrailer(table, written);
        result.records += written;
    }
    if (!writer.finish())
        return failure(writer.errorString());
    result.ok = true;
    result.lossyFields = writer.lossyFields();
    return result;
}

QString targetRefusal(const QString& transferPath) {
    if (!MeetFiles::isMeetFileOrSideFile(transferPath))
        return {};
    return u"%1 is a Tallvane meet file; a transfer file cannot be written over it.  "
           "Choose another file."_s.arg(QFileInfo(transferPath).fileName());
}

Result exportMeetFile(const QString& meetPath, const QString& transferPath,
                      const Observer& observer) {
    if (const QString refusal = targetRefusal(transferPath); !refusal.isEmpty())
        return failure(refusal);
    MeetDatabase db;
    if (!db.open(meetPath))
        return failure(db.lastError());
    QSaveFile file(transferPath);
    if (!file.open(QIODevice::WriteOnly))
        return failure(
            u"The file %1 could not be created: %2"_s.arg(transferPath, file.errorString()));
    Result result = writeMeet(db, &file, observer);
    if (!result.ok) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit())
        return failure(
            u"The file %1 could not be written: %2"_s.arg(transferPath, file.errorString()));
    return result;
}

} // namespace TransferExport
