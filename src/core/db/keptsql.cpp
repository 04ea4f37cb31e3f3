#include "keptsql.h"

#include <atomic>

namespace {

std::atomic<quint32> lastKey{0};

} // namespace

KeptSql::KeptSql(QString sql)
    : mText(std::move(sql))
    , mKey(++lastKey) {}
