#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class QSocketNotifier;

// The lines the station sends: typed on standard input, or read from a script
// where "#wait MS" pauses and other "#" lines are comments.
class LineInput : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Starts delivering lines. False, with `error`, when the script cannot be read.
    bool start(const QString& scriptFile, QString* error);

Q_SIGNALS:
    void lineRead(const QString& line);
    void finished();

private:
    void nextScriptLine();
    void readStandardInput();

    QStringList mScript;
    QTimer mPause;
    QSocketNotifier* mStdin = nullptr;
    QByteArray mPartial;
};
