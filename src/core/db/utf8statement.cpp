#include "utf8statement.h"

#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

std::unique_ptr<Utf8Statement> Utf8Statement::prepare(sqlite3* connection, const QString& sql,
                                                      QString* error) {
    if (!connection) {
        *error = u"No meet file is open."_s;
        return nullptr;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare16_v2(connection, sql.constData(), int(sql.size() * sizeof(QChar)),
                             &statement, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(connection));
        sqlite3_finalize(statement);
        return nullptr;
    }
    return std::unique_ptr<Utf8Statement>(new Utf8Statement(connection, statement));
}

Utf8Statement::Utf8Statement(sqlite3* connection, sqlite3_stmt* statement)
    : mConnection(connection)
    , mStatement(statement) {}

Utf8Statement::~Utf8Statement() {
    sqlite3_finalize(mStatement);
}

void Utf8Statement::bindNull(int index) {
    sqlite3_bind_null(mStatement, index + 1);
}

void Utf8Statement::bindInteger(int index, qint64 value) {
    sqlite3_bind_int64(mStatement, index + 1, value);
}

void Utf8Statement::bindReal(int index, double value) {
    sqlite3_bind_double(mStatement, index + 1, value);
}

void Utf8Statement::bindText(int index, QByteArrayView utf8) {
    // SQLite takes a null pointer for Null; an empty text keeps a real one.
    sqlite3_bind_text(mStatement, index + 1, utf8.isEmpty() ? "" : utf8.data(), int(utf8.size()),
                      SQLITE_STATIC);
}

void Utf8Statement::fail() {
    mError = QString::fromUtf8(sqlite3_errmsg(mConnection));
    if (mError.isEmpty())
        mError = u"unknown database error"_s;
    sqlite3_reset(mStatement);
}

bool Utf8Statement::run() {
    mError.clear();
    const int result = sqlite3_step(mStatement);
    if (result != SQLITE_DONE && result != SQLITE_ROW) {
        fail();
        return false;
    }
    sqlite3_reset(mStatement);
    return true;
}

bool Utf8Statement::next() {
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

void Utf8Statement::reset() {
    sqlite3_reset(mStatement);
}

Utf8Statement::Type Utf8Statement::type(int column) const {
    switch (sqlite3_column_type(mStatement, column)) {
    case SQLITE_INTEGER:
        return Type::Integer;
    case SQLITE_FLOAT:
        return Type::Real;
    case SQLITE_NULL:
        return Type::Null;
    case SQLITE_BLOB:
        return Type::Blob;
    default:
        return Type::Text;
    }
}

qint64 Utf8Statement::integer(int column) const {
    return sqlite3_column_int64(mStatement, column);
}

double Utf8Statement::real(int column) const {
    return sqlite3_column_double(mStatement, column);
}

QByteArrayView Utf8Statement::text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(mStatement, column));
    return QByteArrayView(text, sqlite3_column_bytes(mStatement, column));
}

QByteArrayView Utf8Statement::blob(int column) const {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(mStatement, column));
    return QByteArrayView(bytes, sqlite3_column_bytes(mStatement, column));
}
