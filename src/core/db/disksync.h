#pragma once

class QFileDevice;

namespace DiskSync {

// Puts what was written to `file` (open) on the disk itself, past the
// system's caches, as a confirmed score needs; false when the system could not.
bool dataOf(const QFileDevice& file);

} // namespace DiskSync
