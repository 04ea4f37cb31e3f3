#pragma once

#include <QPushButton>

#include <functional>

class MeetDatabase;
class Prompter;
struct PrintedResults;

// A button that prints one of the meet's documents (start list, judge
// sheets, awards) for a session: the operator picks the PDF file, the
// document is made and written whole, and a message says where it went or
// why it could not be written.
class PaperworkButton : public QPushButton {
    Q_OBJECT

public:
    // Makes the PDF; empty, with the reason, when it cannot.
    using Render =
        std::function<QByteArray(MeetDatabase& db, const PrintedResults& printed, QString* error)>;

    // `document` names it in messages and file names ("start list");
    // `session` gives the session number, empty when none is chosen.
    PaperworkButton(const QString& caption, const QString& document, MeetDatabase& db,
                    Prompter& prompter, std::function<QString()> session, Render render,
                    QWidget* parent = nullptr);

private:
    void choose();
    void write(const QString& session, const QString& path);

    QString mDocument;
    MeetDatabase& mDb;
    Prompter& mPrompter;
    std::function<QString()> mSession;
    Render mRender;
};
