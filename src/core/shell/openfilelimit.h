#pragma once

// Every client of the station and web ports holds a file descriptor; a
// process starts with a soft limit (often 1,024) far below what the system
// allows it (the hard limit).
namespace OpenFileLimit {

// Raises the soft limit on open files to the hard limit; the soft limit in
// force afterwards (-1 where there is no such limit).
long long raiseToHardLimit();

} // namespace OpenFileLimit
