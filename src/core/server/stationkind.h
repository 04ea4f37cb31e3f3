#pragma once

// The two kinds of station, each with its own list in the server window.
enum class StationKind { Judge, Display };
