#pragma once

#include <QList>
#include <QObject>

class QAbstractItemView;
class QLabel;
class QTimer;

// The red "*" that blinks for 1.2 s beside a station's line each time the
// station answers a heartbeat: one mark per line for the first `count` lines.
class ActivityMarks : public QObject {
    Q_OBJECT

public:
    // Marks named prefix + "00", "01"...; their timers timerPrefix + "00" + "_flash".
    ActivityMarks(QAbstractItemView* list, int count, const QString& markPrefix,
                  const QString& timerPrefix, QObject* parent = nullptr);

    // Shows the mark of line `row`; lines without a mark get none.
    void show(int row);
    QLabel* mark(int row) const { return mMarks.value(row); }

private:
    QAbstractItemView* mList;
    QList<QLabel*> mMarks;
    QList<QTimer*> mTimers;
};
