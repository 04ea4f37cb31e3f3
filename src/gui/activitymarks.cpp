#include "activitymarks.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

ActivityMarks::ActivityMarks(QAbstractItemView* list, int count, const QString& markPrefix,
                             const QString& timerPrefix, QObject* parent)
    : QObject(parent)
    , mList(list) {
    for (int i = 0; i < count; ++i) {
        const QString number = u"%1"_s.arg(i, 2, 10, QLatin1Char('0'));
        // A sibling of the list, so it can stand just left of the list's edge.
        auto* mark = new QLabel(u"*"_s, list->parentWidget());
        mark->setObjectName(markPrefix + number);
        mark->setStyleSheet(u"QLabel { color: red; font-weight: bold; }"_s);
        mark->hide();
        auto* timer = new QTimer(this);
        timer->setObjectName(timerPrefix + number + u"_flash"_s);
        timer->setSingleShot(true);
        timer->setInterval(1200);
        connect(timer, &QTimer::timeout, mark, &QWidget::hide);
        mMarks.append(mark);
        mTimers.append(timer);
    }
}

void ActivityMarks::show(int row) {
    if (row < 0 || row >= mMarks.size())
        return;
    QLabel* mark = mMarks[row];
    const QRect line = mList->visualRect(mList->model()->index(row, 0));
    const QPoint at = mList->viewport()->mapTo(mList->parentWidget(), line.topLeft());
    mark->adjustSize();
    mark->move(mList->x() - mark->width() - 2, at.y() + (line.height() - mark->height()) / 2);
    mark->raise();
    mark->show();
    mTimers[row]->start();
}
