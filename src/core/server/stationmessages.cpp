#include "stationmessages.h"

#include "shell/currentsession.h"

using namespace Qt::Literals::StringLiterals;

namespace StationMessages {

QString setSession(const CurrentSession& session) {
    return u"SETSESSION|"_s + session.id() + u'|' + session.description();
}

QString beatResponse() {
    return u"BEATRESPONSE"_s;
}

} // namespace StationMessages
