#pragma once

#include "db/connectionid.h"

#include <QByteArrayView>
#include <QObject>
#include <QStringList>

#include <functional>

class StationLink;

// Advertisement images for the score displays: a display asks for a file of
// the data folder by name and gets its bytes back in one message,
// "RECEIVE_AD_FILE|" + bytes + "/\/\ENDOFFILE/\/\". Only pictures are
// served: a file whose first bytes are those of a PNG, JPEG, GIF or BMP image,
// anywhere under the folder, up to MaxImageBytes. Anything else gets no
// answer: missing and out-of-folder files, other files (a transfer file left
// in the folder holds the gymnasts' birthdays), and the program's own files
// that share the folder: meet files (anywhere under it), the files kept beside
// them, and the settings files.
class AdFiles : public QObject {
    Q_OBJECT

public:
    // The largest picture sent: what fits a display's waiting output with the
    // message around it.
    static constexpr qint64 MaxImageBytes = 8 * 1024 * 1024 - 1024;

    // `settingsFiles`: the names of the program's own files at the top of the
    // data folder (pin.txt ...).
    AdFiles(std::function<QString()> dataFolder, QStringList settingsFiles, StationLink& link,
            QObject* parent = nullptr);

    // "AD_FILE_START": the answer goes out from the event loop, after the
    // handler has returned.
    void receiveAdFileRequest(const QString& fileName, ConnectionId connection);

    // The file a name leads to inside the data folder; empty when it leads
    // outside (an absolute path, "..", a link out of the folder), is missing,
    // or is one of the program's own files.
    static QString resolve(const QString& dataFolder, const QString& fileName,
                           const QStringList& settingsFiles = {});

    // Whether `head`, the first bytes of a file, are those of a PNG, JPEG,
    // GIF or BMP image.
    static bool isImage(QByteArrayView head);

private:
    void answer(const QString& fileName, ConnectionId connection);

    std::function<QString()> mDataFolder;
    QStringList mSettingsFiles;
    StationLink& mLink;
};
