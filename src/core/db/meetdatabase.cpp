#include "meetdatabase.h"

#include "caselesscollation.h"
#include "meetfiles.h"
#include "meetschema.h"
#include "replicafile.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QSqlError>

using namespace Qt::Literals::StringLiterals;

namespace {

QString nextConnectionName() {
    static QAtomicInteger<quint64> counter;
    return u"meet-"_s + QString::number(++counter);
}

// Statements built from fixed fragments form a small set; the cap only guards
// against an unexpected stream of distinct texts.
constexpr int MaxCachedStatements = 256;

// Every score begins and commits a transaction and takes and releases a
// savepoint: their statements are kept like the scores' own.
const KeptSql BeginSql(u"BEGIN"_s);
const KeptSql CommitSql(u"COMMIT"_s);
const KeptSql RollbackSql(u"ROLLBACK"_s);
const KeptSql SavepointSql(u"SAVEPOINT change"_s);
const KeptSql ReleaseSql(u"RELEASE change"_s);
const KeptSql RollbackToSql(u"ROLLBACK TO change"_s);

// A file opened by an earlier Tallvane may hold an index of the same name
// made otherwise: it is made again as it is now.
bool replaceOlderIndex(MeetDatabase& db, const QString& statement) {
    static const QString ifMissing = u"IF NOT EXISTS "_s;
    const qsizetype nameAt = statement.indexOf(ifMissing) + ifMissing.size();
    const QString name = statement.mid(nameAt, statement.indexOf(u' ', nameAt) - nameAt);
    const DbRows stored =
        db.select(u"SELECT sql FROM sqlite_master WHERE type = 'index' AND name = ?"_s, {name});
    if (!stored.ok())
        return false; // the reason is the connection's lastError()
    QString current = statement;
    current.remove(ifMissing);
    if (stored.isEmpty() || stored.text(0, u"sql"_s) == current)
        return true;
    return db.execute(u"DROP INDEX "_s + name);
}

} // namespace

MeetDatabase::MeetDatabase()
    : mConnectionName(nextConnectionName()) {}

MeetDatabase::~MeetDatabase() {
    close();
}

bool MeetDatabase::createMeetDatabase(const QString& path, QString* error) {
    MeetDatabase db;
    // The indexes a meet file carries come with it: opening it then has
    // nothing to add and no second transaction to sync.
    bool ok = db.openNew(path) && db.beginTransaction() && db.createTables();
    for (const QString& statement : MeetSchema::indexStatements())
        ok = ok && db.execute(statement);
    ok = ok && db.commit();
    const QString failure = db.lastError();
    db.close();
    if (ok)
        return true;
    if (error)
        *error = failure;
    return false;
}

bool MeetDatabase::openNew(const QString& path) {
    close();
    const QFileInfo info(path);
    if (info.exists())
        return fail(u"The file %1 already exists."_s.arg(path));
    if (!openConnection(info.absoluteFilePath()) || !applyConnectionSettings()) {
        const QString reason = mLastError;
        close();
        return fail(u"The meet file %1 could not be created: %2"_s.arg(path, reason));
    }
    mLastError.clear();
    mChanges.record(wholeMeet());
    return true;
}

bool MeetDatabase::createTables() {
    for (const MeetSchema::Table& table : MeetSchema::tables()) {
        if (!execute(MeetSchema::createStatement(table)))
            return fail(u"The meet file %1 could not be created: %2"_s.arg(mPath, mLastError));
    }
    if (!execute(u"INSERT INTO current_settings(sessionid, session_desc) VALUES('', '')"_s))
        return fail(u"The meet file %1 could not be created: %2"_s.arg(mPath, mLastError));
    return true;
}

bool MeetDatabase::openConnection(const QString& path) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, mConnectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=5000"_s);
        if (!db.open()) {
            const QString error = errorText(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(mConnectionName);
            return fail(error);
        }
    }
    mOpen = true;
    mPath = path;
    return true;
}

bool MeetDatabase::open(const QString& path) {
    close();
    const QFileInfo info(path);
    if (!info.exists())
        return fail(u"The file %1 does not exist."_s.arg(path));
    if (!info.isFile())
        return fail(u"%1 is not a file."_s.arg(path));
    // A standby that stopped leaves beside its copy what it acknowledged
    // last; the copy takes it before anyone reads it, unless a Tallvane holds
    // the copy now (a standby still running takes it by itself).
    if (QFile::exists(ReplicaJournal::pathFor(info.absoluteFilePath()))) {
        QString error;
        const std::unique_ptr<QLockFile> lock =
            MeetFiles::lockMeetFile(info.absoluteFilePath(), nullptr);
        if (lock && !ReplicaFile::applyLeftJournal(info.absoluteFilePath(), &error))
            return fail(u"%1 could not take what its standby received last: %2"_s.arg(path, error));
    }

    if (!openConnection(info.absoluteFilePath()))
        return fail(u"%1 could not be opened: %2"_s.arg(path, mLastError));

    const DbRows names = select(u"SELECT name FROM sqlite_master WHERE type = 'table'"_s);
    QSet<QString> present;
    for (int i = 0; i < names.count(); ++i)
        present.insert(names.text(i, u"name"_s).toLower());
    bool isMeet = names.ok();
    for (const MeetSchema::Table& table : MeetSchema::tables())
        isMeet = isMeet && present.contains(table.name.toLower());
    if (!isMeet) {
        const QString reason = names.ok() ? u"it holds no meet"_s : names.error();
        close();
        return fail(u"%1 is not a Tallvane meet file (%2)."_s.arg(path, reason));
    }
    if (!applyConnectionSettings()) {
        const QString reason = mLastError;
        close();
        return fail(u"%1 cannot be used safely: write-ahead logging with full sync could not be "
                    "switched on (%2)."_s.arg(path, reason));
    }
    addIndexes();
    mLastError.clear();
    mChanges.record(wholeMeet());
    return true;
}

void MeetDatabase::addIndexes() {
    // A meet runs without them, only slower: a file that refuses them is
    // still opened.
    const bool begun = beginTransaction();
    bool ok = begun;
    for (const QString& statement : MeetSchema::indexStatements())
        ok = ok && replaceOlderIndex(*this, statement) && execute(statement);
    if (ok && commit())
        return;
    qWarning("The lookup indexes of %s could not be added: %s", qPrintable(mPath),
             qPrintable(mLastError));
    if (begun)
        rollback();
}

bool MeetDatabase::applyConnectionSettings() {
    // WAL with full sync: a confirmed score survives a crash or a power cut. A
    // meet never runs without them. The tables have no indexes, so a page
    // cache holding the whole meet makes the scans cheap.
    const DbRows mode = select(u"PRAGMA journal_mode=WAL"_s);
    if (!mode.ok())
        return false;
    if (mode.text(0, u"journal_mode"_s).compare(u"wal"_s, Qt::CaseInsensitive) != 0)
        return fail(u"the journal mode stays %1"_s.arg(mode.text(0, u"journal_mode"_s)));
    mSyncDeferrals = 0;
    if (!execute(u"PRAGMA synchronous=FULL"_s) || !execute(u"PRAGMA cache_size=-65536"_s))
        return false;
    // Names compare without letter case in every alphabet, not A to Z only.
    if (!CaselessCollation::install(connection()))
        qWarning("Letter case is ignored for A to Z only: no SQLite connection handle");
    return true;
}

bool MeetDatabase::deferCommitSync() {
    static const KeptSql normal(u"PRAGMA synchronous=NORMAL"_s);
    if (mSyncDeferrals == 0 && !execute(normal))
        return false;
    ++mSyncDeferrals;
    return true;
}

bool MeetDatabase::endCommitSyncDeferral() {
    static const KeptSql full(u"PRAGMA synchronous=FULL"_s);
    if (mSyncDeferrals == 0)
        return true;
    --mSyncDeferrals;
    return mSyncDeferrals > 0 || execute(full);
}

bool MeetDatabase::close() {
    mSqliteStatements.clear();
    mKeptStatements.clear();
    if (!mOpen)
        return true;
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::database(mConnectionName, false);
        if (db.isOpen()) {
            db.close();
            if (db.lastError().isValid())
                failure = errorText(db.lastError());
        }
    }
    QSqlDatabase::removeDatabase(mConnectionName);
    mOpen = false;
    const QString path = mPath;
    mPath.clear();
    mChanges.transactionRolledBack();
    mChanges.record(wholeMeet());
    if (failure.isEmpty())
        return true;
    return fail(u"%1 did not close cleanly: %2"_s.arg(path, failure));
}

QString MeetDatabase::errorText(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.isEmpty() ? u"unknown database error"_s : text;
}

MeetChange MeetDatabase::wholeMeet() {
    MeetChange change;
    change.altersResults = true;
    return change;
}

QSqlDatabase MeetDatabase::connection() const {
    return QSqlDatabase::database(mConnectionName, false);
}

bool MeetDatabase::fail(const QString& error) {
    mLastError = error;
    return false;
}

template <typename Key>
std::shared_ptr<SqliteStatement> MeetDatabase::cached(StatementCache<Key>& cache, const Key& key,
                                                      const QString& sql) {
    if (!mOpen) {
        fail(u"No meet file is open."_s);
        return nullptr;
    }
    if (const auto found = cache.find(key); found != cache.end())
        return found->second;
    // Statements still held elsewhere outlive the clearing.
    if (cache.size() >= MaxCachedStatements)
        cache.clear();
    QString error;
    std::shared_ptr<SqliteStatement> fresh =
        SqliteStatement::prepare(SqliteStatement::handleOf(connection()), sql, &error);
    if (fresh)
        cache.emplace(key, fresh);
    else
        fail(error);
    return fresh;
}

std::shared_ptr<SqliteStatement> MeetDatabase::sqliteStatement(const QString& sql) {
    return cached(mSqliteStatements, sql, sql);
}

std::shared_ptr<SqliteStatement> MeetDatabase::sqliteStatement(const KeptSql& sql) {
    return cached(mKeptStatements, sql.key(), sql.text());
}

SqliteStatement* MeetDatabase::prepared(SqliteStatement* statement, const QVariantList& values) {
    if (statement)
        statement->bindAll(values);
    return statement;
}

bool MeetDatabase::execute(const QString& sql, const QVariantList& values) {
    return executed(prepared(sqliteStatement(sql).get(), values));
}

bool MeetDatabase::execute(const KeptSql& sql, const QVariantList& values) {
    return executed(prepared(sqliteStatement(sql).get(), values));
}

bool MeetDatabase::executed(SqliteStatement* statement) {
    if (!statement)
        return false;
    if (!statement->run()) {
        mRowsAffected = 0;
        return fail(statement->error());
    }
    mRowsAffected = statement->changes();
    mLastInsertRowId = statement->lastInsertRowId();
    return true;
}

DbRows MeetDatabase::select(const QString& sql, const QVariantList& values) {
    return selected(prepared(sqliteStatement(sql).get(), values));
}

DbRows MeetDatabase::select(const KeptSql& sql, const QVariantList& values) {
    return selected(prepared(sqliteStatement(sql).get(), values));
}

DbRows MeetDatabase::selected(SqliteStatement* statement) {
    if (!statement)
        return DbRows::failure(mLastError);
    DbRows rows;
    const int columns = statement->columnCount();
    QStringList names;
    names.reserve(columns);
    for (int i = 0; i < columns; ++i)
        names.append(statement->columnName(i));
    rows.setColumns(names);
    while (statement->next()) {
        QVariantList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i)
            row.append(statement->ownedValue(i));
        rows.appendRow(std::move(row));
    }
    if (!statement->error().isEmpty()) {
        fail(statement->error());
        return DbRows::failure(mLastError);
    }
    return rows;
}

bool MeetDatabase::beginTransaction() {
    if (!execute(BeginSql))
        return false;
    mChanges.transactionBegun();
    return true;
}

bool MeetDatabase::commit() {
    if (execute(CommitSql)) {
        mChanges.transactionCommitted();
        return true;
    }
    const QString error = mLastError;
    execute(RollbackSql);
    mChanges.transactionRolledBack();
    return fail(error);
}

bool MeetDatabase::rollback() {
    // Whatever the engine says, nothing of the transaction is announced.
    mChanges.transactionRolledBack();
    return execute(RollbackSql);
}

bool MeetDatabase::takeSavepoint() {
    if (!execute(SavepointSql))
        return false;
    mChanges.savepointTaken();
    return true;
}

bool MeetDatabase::releaseSavepoint() {
    if (!execute(ReleaseSql))
        return false;
    mChanges.savepointReleased();
    return true;
}

bool MeetDatabase::rollBackToSavepoint() {
    mChanges.savepointRolledBack();
    return execute(RollbackToSql) && execute(ReleaseSql);
}
