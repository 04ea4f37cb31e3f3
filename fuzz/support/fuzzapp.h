#pragma once

// The Qt application object every fuzz target needs, created once.
void ensureFuzzApplication();

// The target's harness (its meet, its servers), made once per process after
// the application it needs and kept for every input.
template <typename Harness>
Harness& fuzzHarness() {
    ensureFuzzApplication();
    static Harness harness;
    return harness;
}

// Puts temporary folders made from now on on a memory file system where there is
// one, so a target's meet files measure the code, not the disk.
void useMemoryTempFolders();
