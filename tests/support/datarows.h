#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTest>

#include <array>
#include <tuple>
#include <type_traits>
#include <utility>

namespace DataRows {

// What names a row in a failure report: its first value, when it reads as text.
template <typename T>
QByteArray tagOf(const T& value) {
    if constexpr (std::is_same_v<T, QString>)
        return value.left(60).toUtf8();
    else if constexpr (std::is_same_v<T, QByteArray>)
        return value.left(40).toPercentEncoding(" /?&=|");
    else if constexpr (std::is_same_v<T, QStringList>)
        return value.join(u' ').left(60).toUtf8();
    else if constexpr (std::is_same_v<T, QList<QByteArray>>)
        return value.join('+').left(40).toPercentEncoding(" /?&=|+");
    else if constexpr (std::is_arithmetic_v<T>)
        return QByteArray::number(value);
    else if constexpr (std::is_enum_v<T>)
        return QByteArray::number(int(value));
    else
        return {};
}

template <typename... Values, size_t... I>
void addColumns(const std::array<const char*, sizeof...(Values)>& names,
                std::index_sequence<I...>) {
    (QTest::addColumn<Values>(names[I]), ...);
}

} // namespace DataRows

// A family of cases as one table: a column for each of `names`, typed as the
// rows' values, and a row for each tuple, tagged by its place and first value.
template <typename... Values>
void addDataRows(const std::array<const char*, sizeof...(Values)>& names,
                 const QList<std::tuple<Values...>>& rows) {
    DataRows::addColumns<Values...>(names, std::index_sequence_for<Values...>{});
    int place = 0;
    for (const std::tuple<Values...>& row : rows) {
        QTestData& data =
            QTest::addRow("%d %s", ++place, DataRows::tagOf(std::get<0>(row)).constData());
        std::apply([&data](const Values&... value) { ((data << value), ...); }, row);
    }
}
