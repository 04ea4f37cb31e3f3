#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// One line of the gymnast list: the competitor number as stored (so 007 stays
// 007) and the text shown.
struct GymnastEntry {
    QString num;
    QString text;
};

// The editable entry data of one gymnast and the scores shown beside it.
// An empty level, session or squad, or a Null gym id, means "keep the stored
// value": the editor had no list entry matching it.
struct GymnastRecord {
    QString num;
    QString firstName;
    QString lastName;
    QString usag;
    QString birthday; // as typed, or the stored date in the locale's short form
    QString level;
    QString session;
    QString squad;
    QString order; // as typed; empty stores 0
    QVariant gymId;
    bool scratched = false;
    // Vault, Bars, Beam, Floor and all-around as display texts ("" when none).
    QStringList scores;
};
