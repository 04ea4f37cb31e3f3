#include "resultscolumns.h"

#include "db/meetevents.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

QString ResultColumns::name(int column) {
    static const QStringList names = MeetEvents::names() + QStringList{u"AA"_s};
    return names.value(column);
}
