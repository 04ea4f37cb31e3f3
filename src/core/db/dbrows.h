#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <type_traits>

// The rows of one SELECT, read whole. Fields are found by column name or alias
// in any letter case. A Null field is an invalid QVariant, so it stays distinct
// from the empty text.
class DbRows {
public:
    DbRows() = default;
    static DbRows failure(const QString& error);

    bool ok() const { return mError.isEmpty(); }
    QString error() const { return mError; }

    int count() const { return int(mRows.size()); }
    bool isEmpty() const { return mRows.isEmpty(); }

    // The column names in the order of the statement (schema order for SELECT *).
    const QStringList& columnNames() const { return mColumns; }
    int columnIndex(const QString& name) const; // -1 when the result has no such column

    QVariant value(int row, int column) const;
    QVariant value(int row, const QString& column) const;
    bool isNull(int row, const QString& column) const;
    // The value as text; Null gives the empty text.
    QString text(int row, const QString& column) const;

    const QList<QVariantList>& rows() const { return mRows; }

    // Used by MeetDatabase while reading a result.
    void setColumns(const QStringList& names);
    void appendRow(QVariantList values) { mRows.append(std::move(values)); }

private:
    QString mError;
    QStringList mColumns;
    QHash<QString, int> mIndexByLowerName;
    QList<QVariantList> mRows;
};

// Reads the first row of a SELECT with `read(rows)`: nothing when the
// statement failed (its error then in `error`), an empty value when no row
// matched, else the row.
template <typename Read>
auto oneRow(const DbRows& rows, QString& error, Read read)
    -> std::optional<std::optional<std::invoke_result_t<Read, const DbRows&>>> {
    using Row = std::invoke_result_t<Read, const DbRows&>;
    if (!rows.ok()) {
        error = rows.error();
        return std::nullopt;
    }
    if (rows.isEmpty())
        return std::optional<Row>();
    return std::optional<Row>(read(rows));
}

// Reads every row of a SELECT with `read(rows, i)`: nothing when the statement
// failed (its error then in `error`).
template <typename Read>
auto allRows(const DbRows& rows, QString& error, Read read)
    -> std::optional<QList<std::invoke_result_t<Read, const DbRows&, int>>> {
    if (!rows.ok()) {
        error = rows.error();
        return std::nullopt;
    }
    QList<std::invoke_result_t<Read, const DbRows&, int>> list;
    list.reserve(rows.count());
    for (int i = 0; i < rows.count(); ++i)
        list.append(read(rows, i));
    return list;
}
