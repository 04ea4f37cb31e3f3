#include "tableinserter.h"

#include "cp1252toutf8.h"
#include "db/meetdatabase.h"
#include "transferreader.h"

#include <algorithm>
#include <cstring>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

const TableInserter::Layout& TableInserter::layoutOf(const MeetSchema::Table& table) {
    // Built for every table at once, the first time (thread-safe): the schema is fixed.
    static const QHash<QString, Layout> layouts = [] {
        QHash<QString, Layout> all;
        for (const MeetSchema::Table& each : MeetSchema::tables()) {
            Layout& layout = all[each.name];
            for (int c = 0; c < each.columns.size(); ++c) {
                layout.codes.append(ImportValueCodes::codeOf(each, c));
                layout.emptyValues.append(
                    ImportValueCodes::convert(layout.codes.back(), each.columns[c], {}));
                layout.names.append(each.columns[c].name.toLatin1());
                layout.columnsByName.insert(each.columns[c].name.toLower(), c);
            }
            layout.inOrder.resize(size_t(each.columns.size()));
            std::iota(layout.inOrder.begin(), layout.inOrder.end(), 0);
        }
        return all;
    }();
    return *layouts.find(table.name);
}

TableInserter::TableInserter(MeetDatabase& db, const MeetSchema::Table& table)
    : mTable(table)
    , mLayout(layoutOf(table))
    , mFieldOfColumn(size_t(table.columns.size()), -1)
    , mWhole(db, table)
    , mInsert(mWhole.utf8Inserter())
    , mTexts(size_t(table.columns.size())) {
    mReady = mInsert != nullptr;
    if (!mReady)
        mError = mWhole.lastError();
}

const qsizetype* TableInserter::fieldsOf(const TransferRecord& record, QString* reason) {
    // Files written in schema order, as nearly all are, match name by name.
    bool inOrder = record.fieldCount() == mTable.columns.size();
    for (qsizetype i = 0; inOrder && i < record.fieldCount(); ++i) {
        const QByteArrayView name = record.rawName(i);
        const QByteArray& expected = mLayout.names[i];
        inOrder = name.size() == expected.size() &&
                  std::memcmp(name.data(), expected.constData(), size_t(name.size())) == 0;
    }
    return inOrder ? mLayout.inOrder.data() : fieldsByName(record, reason);
}

const qsizetype* TableInserter::fieldsByName(const TransferRecord& record, QString* reason) {
    // Any order, in any letter case, as SQL names are.
    std::fill(mFieldOfColumn.begin(), mFieldOfColumn.end(), -1);
    QStringList unknown;
    QStringList repeated;
    for (qsizetype i = 0; i < record.fieldCount(); ++i) {
        const QString name = record.name(i);
        const int column = mLayout.columnsByName.value(name.toLower(), -1);
        if (column < 0)
            unknown.append(name);
        else if (mFieldOfColumn[size_t(column)] >= 0)
            repeated.append(name);
        else
            mFieldOfColumn[size_t(column)] = i;
    }
    QStringList missing;
    for (size_t c = 0; c < mFieldOfColumn.size(); ++c) {
        if (mFieldOfColumn[c] < 0)
            missing.append(mTable.columns[qsizetype(c)].name);
    }
    QStringList reasons;
    if (!unknown.isEmpty())
        reasons.append(u"unknown fields: "_s + unknown.join(u", "_s));
    if (!repeated.isEmpty())
        reasons.append(u"fields given twice: "_s + repeated.join(u", "_s));
    if (!missing.isEmpty())
        reasons.append(u"missing fields: "_s + missing.join(u", "_s));
    if (!reasons.isEmpty()) {
        *reason = reasons.join(u"; "_s);
        return nullptr;
    }
    return mFieldOfColumn.data();
}

void TableInserter::bindText(int c, QByteArrayView text, bool ascii, bool lasting) {
    if (ascii && lasting) {
        mInsert->bindText(c, text);
        return;
    }
    // The buffer keeps its room from record to record.
    QByteArray& utf8 = mTexts[size_t(c)];
    Cp1252ToUtf8::convert(text, utf8);
    mInsert->bindText(c, utf8);
}

void TableInserter::bind(int c, const ImportValueCodes::Converted& value, bool ascii) {
    switch (value.kind) {
    case ImportValueCodes::Converted::Kind::Null:
        mInsert->bindNull(c);
        break;
    case ImportValueCodes::Converted::Kind::Integer:
        mInsert->bindInteger(c, value.integer);
        break;
    case ImportValueCodes::Converted::Kind::Real:
        mInsert->bindReal(c, value.real);
        break;
    case ImportValueCodes::Converted::Kind::Text:
        // A date's ISO text lives in `value`: it is copied.
        bindText(c, value.text(), ascii, value.isoSize == 0);
        break;
    }
}

QString TableInserter::store(const TransferRecord& record) {
    if (!mReady)
        return mError;
    QString mismatch;
    const qsizetype* fieldOf = fieldsOf(record, &mismatch);
    if (!fieldOf)
        return mismatch;

    // Values are bound as they are converted; a refused record is never executed.
    QStringList reasons;
    for (int c = 0; c < mTable.columns.size(); ++c) {
        const QByteArrayView text = record.rawValue(fieldOf[c]);
        if (text.isEmpty()) {
            bind(c, mLayout.emptyValues[c], true);
            continue;
        }
        // Texts are stored as they are, the bulk of a file: no value is made of them.
        const ImportValueCodes::Code code = mLayout.codes[c];
        if (code == ImportValueCodes::Code::Text || code == ImportValueCodes::Code::EscapedText ||
            code == ImportValueCodes::Code::TextOrNull) {
            bindText(c, text, record.ascii, true);
            continue;
        }
        const ImportValueCodes::Converted converted =
            ImportValueCodes::convert(code, mTable.columns[c], text);
        if (!converted.error.isEmpty())
            reasons.append(converted.error);
        else
            bind(c, converted, record.ascii);
    }
    if (!reasons.isEmpty())
        return reasons.join(u"; "_s);
    if (!mInsert->run())
        return mInsert->error();
    if (!mInserted) {
        mInserted = true;
        mWhole.rowsInserted();
    }
    return {};
}
