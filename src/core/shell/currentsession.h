#pragma once

#include <QObject>
#include <QString>

// The meet's current session: announced to stations ("SETSESSION|"), the session
// of the gymnast list, kept in current_settings across restarts.
class CurrentSession : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    QString id() const { return mId; }
    QString description() const { return mDescription; }
    void set(const QString& id, const QString& description);

Q_SIGNALS:
    // Also when the same session is set again: what follows the current
    // session (the gymnast list) rereads it each time.
    void changed();

private:
    QString mId;
    QString mDescription;
};
