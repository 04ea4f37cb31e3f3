#pragma once

#include "db/meetdatabase.h"
#include "tempmeet.h"

#include <QByteArray>

#include <memory>

// What the transfer-import fuzz targets share: empty meets on a memory file
// system, opened once per process, and the import of one file's records.
namespace FuzzImport {

struct Imported {
    qint64 stored = -1;    // -1: the file was refused before any record was read
    bool complete = false; // every record stored, every table whole
};

// A temporary folder on a memory file system where there is one.
std::unique_ptr<TempMeet> makeFolder();

// Creates and opens an empty meet in `folder`; aborts when it cannot.
void openEmptyMeet(TempMeet& folder, const QString& fileName, MeetDatabase& db);

// Stores the records of `bytes` as the import does, in the caller's transaction.
Imported importInto(MeetDatabase& db, QByteArray bytes);

} // namespace FuzzImport
