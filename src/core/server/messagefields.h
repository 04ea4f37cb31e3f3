#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>

// A station's message split at "|" (field 0 the command word) into views of
// its text, so that reading a field copies nothing: valid while the message
// lives. Fields are what QString::split(u'|') would give, empty ones kept.
class MessageFields {
public:
    explicit MessageFields(QStringView message);

    qsizetype size() const { return mFields.size(); }
    // Field `index`; a null view when the message has fewer fields.
    QStringView at(qsizetype index) const {
        return index >= 0 && index < mFields.size() ? mFields[index] : QStringView();
    }
    // Field `index` as a text of its own; a null text when the message has
    // fewer fields, as QStringList::value() gives it.
    QString text(qsizetype index) const;
    // Every field as a text of its own.
    QStringList toList() const;

private:
    // A "SENDSCORE" for the vault, the longest message scored, has 27.
    QVarLengthArray<QStringView, 32> mFields;
};
