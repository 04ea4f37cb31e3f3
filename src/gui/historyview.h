#pragma once

#include <QWidget>

#include <functional>

class HistoryTableModel;
class InquiriesPanel;
class MeetDatabase;
class Prompter;
class QComboBox;
class QLineEdit;

// The score history of the meet, newest first, narrowed by event, gymnast and
// kind (and, in the History tab, by the chosen session), with "Print…" to a
// PDF for the meet referee. The History tab shows one; the History window of a
// gymnast's event shows another, its filter set.
class HistoryView : public QWidget {
    Q_OBJECT

public:
    // `session` gives the session whose entries are shown; none: every session.
    HistoryView(MeetDatabase& db, Prompter& prompter, std::function<QString()> session,
                QWidget* parent = nullptr);

    // Shows one gymnast's history, of one event or ("") of every event.
    void showGymnast(const QString& num, const QString& event);
    // Rereads the entries with the filters as they stand.
    void refresh();
    HistoryTableModel* model() const { return mModel; }

Q_SIGNALS:
    // The manual entry of a new score that decides an inquiry.
    void newScoreRequested(const QString& num, const QString& event, const QString& reason);

private:
    void print();
    QString title() const;

    MeetDatabase& mDb;
    Prompter& mPrompter;
    std::function<QString()> mSession;
    HistoryTableModel* mModel;
    QComboBox* mEvent;
    QLineEdit* mNum;
    QComboBox* mKind;
    InquiriesPanel* mInquiries = nullptr;
};
