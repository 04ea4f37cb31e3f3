#include "stationclient.h"
#include "stationoptions.h"

#include <QCoreApplication>

#include <cstdio>

// tallvane-station: a judge station or score display on the command line, for
// checking the network at the venue, for integration tests and load tests.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    StationOptions options;
    QString error;
    QString help;
    if (!options.parse(app.arguments(), &error, &help)) {
        if (!help.isEmpty()) {
            std::fputs(qPrintable(help), stdout);
            return 0;
        }
        std::fprintf(stderr, "tallvane-station: %s\n", qPrintable(error));
        return 2;
    }
    StationClient station(options);
    QObject::connect(&station, &StationClient::finished, &app, &QCoreApplication::exit);
    station.start();
    return app.exec();
}
