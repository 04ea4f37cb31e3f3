#include "dbrows.h"

DbRows DbRows::failure(const QString& error) {
    DbRows rows;
    rows.mError = error.isEmpty() ? QStringLiteral("database error") : error;
    return rows;
}

void DbRows::setColumns(const QStringList& names) {
    mColumns = names;
    mIndexByLowerName.clear();
    for (int i = int(names.size()) - 1; i >= 0; --i)
        mIndexByLowerName.insert(names[i].toLower(), i); // the first of equal names wins
}

int DbRows::columnIndex(const QString& name) const {
    return mIndexByLowerName.value(name.toLower(), -1);
}

QVariant DbRows::value(int row, int column) const {
    if (row < 0 || row >= mRows.size())
        return {};
    const QVariantList& values = mRows[row];
    return column >= 0 && column < values.size() ? values[column] : QVariant();
}

QVariant DbRows::value(int row, const QString& column) const {
    return value(row, columnIndex(column));
}

bool DbRows::isNull(int row, const QString& column) const {
    return !value(row, column).isValid();
}

QString DbRows::text(int row, const QString& column) const {
    const QVariant v = value(row, column);
    return v.isValid() ? v.toString() : QString();
}
