#pragma once

#include <QString>

// The public data folder: settings files, meet files, advertisement images.
namespace DataFolder {

// $TALLVANE_DATA_DIR when set; on Windows C:\Users\Public\Tallvane; elsewhere the
// XDG data folder + /Tallvane (~/.local/share/Tallvane).
QString location();

// Creates the folder when it is missing. False, with the reason, when it cannot.
bool ensure(const QString& folder, QString* error);

} // namespace DataFolder
