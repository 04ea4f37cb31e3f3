#pragma once

#include <QWidget>

#include <functional>

class MeetDatabase;
class Prompter;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QTableWidget;

// The inquiries of the session (or of one gymnast): the list, open and
// decided, and the operator's part in them. An inquiry is filed against a
// gymnast's event with who filed it; one filed past the meet's time limit
// after the score was shown is asked about first. The meet referee's
// decision is "Score stands" or a new score, entered by hand; both carry the
// reason typed beside them.
class InquiriesPanel : public QWidget {
    Q_OBJECT

public:
    // `session` gives the session whose inquiries are listed; none: every session.
    InquiriesPanel(MeetDatabase& db, Prompter& prompter, std::function<QString()> session,
                   QWidget* parent = nullptr);

    // Lists the inquiries of one gymnast ("": of the session), and offers to
    // file one against `event`.
    void showGymnast(const QString& num, const QString& event);
    void refresh();

Q_SIGNALS:
    // "New score…" on an open inquiry: the manual entry of that score, which
    // decides the inquiry for `reason`.
    void newScoreRequested(const QString& num, const QString& event, const QString& reason);

private:
    QWidget* buildFiling();
    QWidget* buildDeciding();
    void file();
    void record(const QString& num, const QString& event, const QString& filedBy, bool late);
    void decide(bool newScore);
    void report(const QString& text);

    MeetDatabase& mDb;
    Prompter& mPrompter;
    std::function<QString()> mSession;
    QString mGymnast; // the gymnast listed alone; empty for the session
    QTableWidget* mList;
    QLineEdit* mNum = nullptr;
    QComboBox* mEvent = nullptr;
    QLineEdit* mFiledBy = nullptr;
    QSpinBox* mMinutes = nullptr;
    QLineEdit* mReason = nullptr;
};
