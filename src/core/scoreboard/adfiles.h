#pragma once

#include "server/connectionid.h"

#include <QObject>

#include <functional>

class StationLink;

// Advertisement images for the score displays: a display asks for a file of
// the data folder by name and gets its bytes back in one message,
// "RECEIVE_AD_FILE|" + bytes + "/\/\ENDOFFILE/\/\". Missing, empty and
// out-of-folder files get no answer.
class AdFiles : public QObject {
    Q_OBJECT

public:
    static inline const QString Prefix = QStringLiteral("RECEIVE_AD_FILE|");
    static inline const QString EndMarker = QStringLiteral("/\\/\\ENDOFFILE/\\/\\");

    AdFiles(std::function<QString()> dataFolder, StationLink& link, QObject* parent = nullptr);

    // "AD_FILE_START": the answer goes out from the event loop, after the
    // handler has returned.
    void receiveAdFileRequest(const QString& fileName, ConnectionId connection);

    // The file a name leads to inside the data folder; empty when it leads
    // outside (an absolute path, "..", a link out of the folder) or is missing.
    static QString resolve(const QString& dataFolder, const QString& fileName);

private:
    void answer(const QString& fileName, ConnectionId connection);

    std::function<QString()> mDataFolder;
    StationLink& mLink;
};
