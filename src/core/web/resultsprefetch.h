#pragma once

#include <QSet>
#include <QString>

#include <memory>

class MeetDatabase;
class ResultsShelf;

// Works out, on the live viewers' thread, the replies of the results API
// the pages ask for as soon as they hear that a session's results changed
// (the session's results and the list of sessions), and leaves them on a
// shelf for the judges' thread to answer with. Reads the meet file through
// a connection of its own that only reads, opened on first use on the
// thread that uses it.
class ResultsPrefetch {
public:
    explicit ResultsPrefetch(ResultsShelf& shelf);
    ~ResultsPrefetch();
    ResultsPrefetch(const ResultsPrefetch&) = delete;
    ResultsPrefetch& operator=(const ResultsPrefetch&) = delete;

    // The results of `sessions` changed; the meet file `meetFile` had
    // counted `changeCount` changes then, on session `current`. Nothing is
    // left on the shelf when the file cannot be read.
    void prepare(const QString& meetFile, quint64 changeCount, const QString& current,
                 const QSet<QString>& sessions);

private:
    bool openFile(const QString& meetFile);

    ResultsShelf& mShelf;
    std::unique_ptr<MeetDatabase> mDb;
    QString mRefusedFile; // the file that could not be opened last
};
