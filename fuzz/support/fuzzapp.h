#pragma once

// The Qt application object every fuzz target needs, created once.
void ensureFuzzApplication();
