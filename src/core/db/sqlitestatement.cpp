#include "sqlitestatement.h"

#include <QByteArray>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlDriver>

#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString messageOf(sqlite3* connection) {
    const auto* text = static_cast<const QChar*>(sqlite3_errmsg16(connection));
    const QString message = text ? QString(text) : QString();
    return message.isEmpty() ? u"unknown database error"_s : message;
}

bool bindAscii(sqlite3_stmt* statement, int at, QStringView text) {
    // A meet file holds its texts in UTF-8: a text bound as UTF-16 is
    // translated by the engine at every run, in memory it allocates for it.
    // Most texts (numbers, names, events, times) are short and plain ASCII,
    // whose UTF-8 is its bytes: those are narrowed here and handed over ready.
    constexpr qsizetype MaxNarrowed = 256;
    if (text.size() > MaxNarrowed)
        return false;
    char narrowed[MaxNarrowed];
    const char16_t* from = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (from[i] >= 0x80)
            return false;
        narrowed[i] = char(from[i]);
    }
    sqlite3_bind_text(statement, at, narrowed, int(text.size()), SQLITE_TRANSIENT);
    return true;
}

// Binds a text that will not outlive the call: the engine keeps its own copy.
void bindTemporaryText(sqlite3_stmt* statement, int at, const QString& text) {
    sqlite3_bind_text16(statement, at, text.constData(), int(text.size() * sizeof(QChar)),
                        SQLITE_TRANSIENT);
}

} // namespace

sqlite3* SqliteStatement::handleOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

sqlite3_stmt* SqliteStatement::compile(sqlite3* connection, const QString& sql, QString* error) {
    if (!connection) {
        *error = u"No meet file is open."_s;
        return nullptr;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare16_v2(connection, sql.constData(), int(sql.size() * sizeof(QChar)),
                             &statement, nullptr) != SQLITE_OK) {
        *error = messageOf(connection);
        sqlite3_finalize(statement);
        return nullptr;
    }
    return statement;
}

std::unique_ptr<SqliteStatement> SqliteStatement::prepare(sqlite3* connection, const QString& sql,
                                                          QString* error) {
    sqlite3_stmt* statement = compile(connection, sql, error);
    if (!statement)
        return nullptr;
    return std::unique_ptr<SqliteStatement>(new SqliteStatement(connection, statement));
}

SqliteStatement::SqliteStatement(sqlite3* connection, sqlite3_stmt* statement)
    : mConnection(connection)
    , mStatement(statement) {}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(mStatement);
}

void SqliteStatement::bind(int index, const QVariant& value) {
    const int at = index + 1;
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        sqlite3_bind_null(mStatement, at);
        return;
    case QMetaType::QString: {
        const auto* text = static_cast<const QString*>(value.constData());
        if (text->isNull())
            sqlite3_bind_null(mStatement, at);
        else if (!bindAscii(mStatement, at, *text))
            sqlite3_bind_text16(mStatement, at, text->constData(),
                                int(text->size() * sizeof(QChar)), SQLITE_STATIC);
        return;
    }
    case QMetaType::QByteArray: {
        const auto* bytes = static_cast<const QByteArray*>(value.constData());
        if (bytes->isNull())
            sqlite3_bind_null(mStatement, at);
        else
            sqlite3_bind_blob(mStatement, at, bytes->constData(), int(bytes->size()),
                              SQLITE_STATIC);
        return;
    }
    case QMetaType::Int:
    case QMetaType::Bool:
        sqlite3_bind_int(mStatement, at, value.toInt());
        return;
    case QMetaType::Double:
        sqlite3_bind_double(mStatement, at, value.toDouble());
        return;
    case QMetaType::QDateTime:
        bindTemporaryText(mStatement, at, value.toDateTime().toString(Qt::ISODateWithMs));
        return;
    case QMetaType::UInt:
    case QMetaType::LongLong:
        sqlite3_bind_int64(mStatement, at, value.toLongLong());
        return;
    default:
        bindTemporaryText(mStatement, at, value.toString());
        return;
    }
}

void SqliteStatement::bindUtf8(int index, QByteArrayView utf8) {
    // Never null: an empty view still binds the empty text.
    static const char empty = 0;
    sqlite3_bind_text(mStatement, index + 1, utf8.data() ? utf8.data() : &empty, int(utf8.size()),
                      SQLITE_STATIC);
}

void SqliteStatement::bindAll(const QVariantList& values) {
    sqlite3_clear_bindings(mStatement);
    for (int i = 0; i < values.size(); ++i)
        bind(i, values[i]);
}

void SqliteStatement::fail() {
    mError = messageOf(mConnection);
    sqlite3_reset(mStatement);
}

bool SqliteStatement::run() {
    mError.clear();
    const int result = sqlite3_step(mStatement);
    if (result != SQLITE_DONE && result != SQLITE_ROW) {
        fail();
        return false;
    }
    sqlite3_reset(mStatement);
    return true;
}

bool SqliteStatement::next() {
    mError.clear();
    const int result = sqlite3_step(mStatement);
    if (result == SQLITE_ROW)
        return true;
    if (result == SQLITE_DONE)
        sqlite3_reset(mStatement);
    else
        fail();
    return false;
}

void SqliteStatement::reset() {
    sqlite3_reset(mStatement);
}

QVariant SqliteStatement::value(int column) const {
    switch (sqlite3_column_type(mStatement, column)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(mStatement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(mStatement, column);
    case SQLITE_NULL:
        return {};
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(mStatement, column)),
                          sqlite3_column_bytes(mStatement, column));
    default: {
        const auto* text = static_cast<const QChar*>(sqlite3_column_text16(mStatement, column));
        return QString::fromRawData(text, sqlite3_column_bytes16(mStatement, column) /
                                              qsizetype(sizeof(QChar)));
    }
    }
}

QVariant SqliteStatement::ownedValue(int column) const {
    if (sqlite3_column_type(mStatement, column) != SQLITE_TEXT)
        return value(column);
    const auto* text = static_cast<const QChar*>(sqlite3_column_text16(mStatement, column));
    return QString(text, sqlite3_column_bytes16(mStatement, column) / qsizetype(sizeof(QChar)));
}

int SqliteStatement::changes() const {
    return sqlite3_changes(mConnection);
}

qint64 SqliteStatement::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(mConnection);
}

int SqliteStatement::columnCount() const {
    return sqlite3_column_count(mStatement);
}

QString SqliteStatement::columnName(int column) const {
    QString name(static_cast<const QChar*>(sqlite3_column_name16(mStatement, column)));
    name.remove(u'"');
    return name.mid(name.lastIndexOf(u'.') + 1);
}
