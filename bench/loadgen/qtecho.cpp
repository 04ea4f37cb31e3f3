// tallvane-qtecho: the bare echo of the network benchmarks, in a process of
// its own. A QTcpServer that answers every received line with "BEATRESPONSE"
// and does nothing else: what any Qt station server pays for its sockets, the
// floor the scoring server is measured against. Prints
// "Listening on 127.0.0.1:PORT"; runs until killed.
#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTcpServer server;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                const QByteArray bytes = socket->readAll();
                for (qsizetype i = 0; i < bytes.count('\n'); ++i)
                    socket->write("BEATRESPONSE\n");
                socket->flush();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "tallvane-qtecho: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    std::printf("Listening on 127.0.0.1:%d\n", server.serverPort());
    std::fflush(stdout);
    return app.exec();
}
