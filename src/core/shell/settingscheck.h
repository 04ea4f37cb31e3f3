#pragma once

#include <QString>

class AppState;

// The checks of the settings dialog and the saving of its two values.
namespace SettingsCheck {

inline constexpr auto PortMessage = "Port number must be a value between 0 and 30000.\r\n";
inline constexpr auto PinMessage = "PIN must a 4-digit numeric value.\r\n";
inline constexpr auto WebPortMessage =
    "Web Port must be a value between 1 and 30000, other than the IP Port Number.\r\n";

// True when the text reads as a number (blanks around it allowed).
bool isNumeric(const QString& text);

// A port reads as a number and, rounded to a whole number, lies in 1 ... 30000.
bool isValidPort(const QString& text);

// A PIN is exactly four characters that read as a number ("12.5" passes).
bool isValidPin(const QString& text);

inline constexpr auto OperatorPinMessage = "The operator PIN must be six or more digits.\r\n";
// The operator PIN: six to twenty digits, nothing else.
bool isValidOperatorPin(const QString& text);
// Writes operatorpin.txt and makes the value current; operators logged in
// with the old one must log in again.
bool applyOperatorPin(AppState& state, const QString& pin, QString* error);

// One text naming every failed check, port line first; empty when both pass.
QString errorText(const QString& port, const QString& pin);

// Writes port.txt and pin.txt and makes both values current. Stops at the
// first file that cannot be written, leaving the reason in `error`.
bool apply(AppState& state, const QString& port, const QString& pin, QString* error);

// The web pages' port: a valid port that is not the stations' port. Empty
// when it passes, else the message.
QString webPortError(const QString& webPort, const QString& port);

// Writes webport.txt and makes the value current.
bool applyWebPort(AppState& state, const QString& webPort, QString* error);

} // namespace SettingsCheck
