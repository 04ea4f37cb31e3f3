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
