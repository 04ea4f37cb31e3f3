#pragma once

#include "serverfixture.h"
#include "web/meetwebpages.h"

// A meet whose station server and web pages both listen, the web pages on a
// free port, with quick heartbeat timings.
struct WebMeetFixture {
    ServerFixture f{{}, ServerFixture::quickTimings(), true};
    MeetWebPages pages{f.state(), f.meet()};
    WebServer& web = pages.web();

    WebMeetFixture() {
        f.state().setWebPortNumber(QStringLiteral("0"));
        pages.start();
    }
};

// Declares `name`, a web meet of `Type` (WebMeetFixture or one made from it),
// and ends the test at once when its server did not start.
#define WEB_MEET(Type, name)                                                                       \
    Type name;                                                                                     \
    QVERIFY2(name.f.started(), qPrintable(name.f.startMessage()))
