#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What a browser pad or board says of itself ("PADSTATE|battery|charging|
// outbox|agent"): its battery in percent and whether it charges, where the
// browser tells them, the scores waiting in its outbox and the browser's name.
struct PadState {
    static constexpr auto Command = "PADSTATE";
    static constexpr qsizetype MaxAgent = 120;

    std::optional<int> battery; // 0 to 100
    std::optional<bool> charging;
    int outbox = 0; // scores not yet confirmed by the server
    QString agent;

    // From the message's fields (field 0 the command word). A value that is
    // not what it should be counts as not told; nothing else is refused.
    static PadState fromFields(const QStringList& fields);

    bool operator==(const PadState&) const = default;
};
