#pragma once

// The Qt application object every fuzz target needs, created once.
void ensureFuzzApplication();

// Puts temporary folders made from now on on a memory file system where there is
// one, so a target's meet files measure the code, not the disk.
void useMemoryTempFolders();
