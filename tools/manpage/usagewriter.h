#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

// Writes the `--help` texts of the `tallvane` executable from the manual's
// command-line page, as C++ for the program to be built with, so that the
// program and its manual describe the same command line. The page is read as
// ManPageWriter reads it (XHTML-compatible, "html-only" left out): the <pre>
// under "Synopsis", and the <dl> lists under "Commands", "Options" and
// "Environment". A command's options are those its <dt> names.
class UsageWriter {
public:
    // One <dt> of a list and its <dd>, as plain text.
    struct Entry {
        QString term;
        QString text;
    };

    // Reads the page; false with errorString() when it cannot be read or
    // lacks a synopsis or commands.
    bool read(QIODevice& page);
    QString errorString() const { return mError; }

    // `tallvane --help`.
    QString overview() const;
    // `tallvane COMMAND --help`, for each command the page describes.
    QList<Entry> commandUsages() const;
    // The C++ source: the texts and every command's options.
    QByteArray source() const;

private:
    // The options of the page that the command's synopsis names.
    QList<Entry> optionsOf(const Entry& command) const;

    QStringList mSynopsis;
    QList<Entry> mCommands;
    QList<Entry> mOptions;
    QList<Entry> mEnvironment;
    QString mError;
};
