#pragma once

#include "panelscore.h"

#include <QString>

class MeetDatabase;

// A gymnast as the manual score entry window shows it: who, and the scores
// already stored for the event (for Vault also the second attempt).
struct EntryGymnast {
    bool found = false;
    QString nameLine; // "101 - Ava Brooks"
    QString gymName;
    QString level;
    QString squad;
    QString ageDivision;
    PanelScore::Attempt first;  // judges beyond the panel's count stay empty
    PanelScore::Attempt second; // Vault only

    // Reads gymnast `number` for `event` ("Vault", "Bars", "Beam", "Floor"),
    // with her age division as the results give it. Not found: `found` false. False (with
    // the engine's reason in `error`) when the database cannot be read.
    static bool load(MeetDatabase& db, const QString& number, const QString& event, int judgeCount,
                     EntryGymnast* gymnast, QString* error = nullptr);
};
