#pragma once

#include <QDateTime>
#include <QObject>
#include <QStringList>

// What the operator must know but must not stop the meet for: a score for an
// unknown competitor number, a database write that failed, a refused record.
// The server window lists them; headless mode prints them on stderr.
class OperatorAlerts : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Adds one alert, stamped with the time of day.
    void raise(const QString& text);

    // Every alert so far, oldest first, each "HH:mm:ss  text".
    const QStringList& alerts() const { return mAlerts; }
    void clear();

Q_SIGNALS:
    void alertRaised(const QString& stampedText);
    void cleared();

private:
    QStringList mAlerts;
};
