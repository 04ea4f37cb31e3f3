#pragma once

#include <QWidget>

#include <functional>

class MeetDatabase;
class Prompter;

// "Save PDF…" and "Save CSV…" of the Results tab: the printable results of
// the chosen session, of the chosen level or all of them, written to a file
// the operator picks.
class ResultsSaveButtons : public QWidget {
    Q_OBJECT

public:
    // `session` gives the chosen session number, `level` the chosen level ("" for all).
    ResultsSaveButtons(MeetDatabase& db, Prompter& prompter, std::function<QString()> session,
                       std::function<QString()> level, QWidget* parent = nullptr);

private:
    enum class Format { Pdf, Csv };
    void save(Format format);
    void write(Format format, const QString& path);

    MeetDatabase& mDb;
    Prompter& mPrompter;
    std::function<QString()> mSession;
    std::function<QString()> mLevel;
};
