#include "utf8statement.h"

#include <sqlite3.h>

std::unique_ptr<Utf8Statement> Utf8Statement::prepare(sqlite3* connection, const QString& sql,
                                                      QString* error) {
    sqlite3_stmt* statement = compile(connection, sql, error);
    if (!statement)
        return nullptr;
    return std::unique_ptr<Utf8Statement>(new Utf8Statement(connection, statement));
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
