#include "settingscheck.h"

#include "appstate.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace SettingsCheck {

namespace {

std::optional<double> numberOf(const QString& raw) {
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = QLocale().toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

bool isNumeric(const QString& text) {
    return numberOf(text).has_value();
}

bool isValidPort(const QString& text) {
    const auto value = numberOf(text);
    if (!value)
        return false;
    // Halves round to even, as a conversion to a whole number does; a number too
    // large for 32 bits is simply out of range.
    const double whole = std::nearbyint(*value);
    return whole >= 1 && whole <= 30000;
}

bool isValidPin(const QString& text) {
    return text.size() == 4 && isNumeric(text);
}

bool isValidOperatorPin(const QString& text) {
    static const QRegularExpression digits(u"^[0-9]{6,20}$"_s);
    return digits.match(text).hasMatch();
}

bool applyOperatorPin(AppState& state, const QString& pin, QString* error) {
    QString reason;
    if (!state.saveOperatorPinFile(pin, &reason)) {
        if (error)
            *error = u"The operator PIN could not be saved to %1: %2"_s.arg(
                state.operatorPinFilePath(), reason);
        return false;
    }
    state.setOperatorPin(pin);
    return true;
}

QString errorText(const QString& port, const QString& pin) {
    QString text;
    if (!isValidPort(port))
        text += QString::fromLatin1(PortMessage);
    if (!isValidPin(pin))
        text += QString::fromLatin1(PinMessage);
    return text;
}

bool apply(AppState& state, const QString& port, const QString& pin, QString* error) {
    QString reason;
    if (!state.savePortFile(port, &reason)) {
        if (error)
            *error = u"The port could not be saved to %1: %2"_s.arg(state.portFilePath(), reason);
        return false;
    }
    state.setPortNumber(port);
    if (!state.savePinFile(pin, &reason)) {
        if (error)
            *error = u"The PIN could not be saved to %1: %2"_s.arg(state.pinFilePath(), reason);
        return false;
    }
    state.setPin(pin);
    return true;
}

QString webPortError(const QString& webPort, const QString& port) {
    // Rounded as doubles: the station port may be any number, far past an int.
    if (!isValidPort(webPort) || (isNumeric(port) && std::round(webPort.trimmed().toDouble()) ==
                                                         std::round(port.trimmed().toDouble())))
        return QString::fromLatin1(WebPortMessage);
    return {};
}

bool applyWebPort(AppState& state, const QString& webPort, QString* error) {
    QString reason;
    if (!state.saveWebPortFile(webPort, &reason)) {
        if (error)
            *error =
                u"The web port could not be saved to %1: %2"_s.arg(state.webPortFilePath(), reason);
        return false;
    }
    state.setWebPortNumber(webPort);
    return true;
}

} // namespace SettingsCheck
