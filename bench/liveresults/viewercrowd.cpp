#include "viewercrowd.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

qint64 nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ViewerCrowd::ViewerCrowd(quint16 port)
    : mPort(port)
    , mInput(0, QSocketNotifier::Read) {
    connect(&mInput, &QSocketNotifier::activated, this, &ViewerCrowd::report);
    open();
}

void ViewerCrowd::open() {
    const int until = std::min(Viewers, int(mViewers.size()) + Batch);
    while (int(mViewers.size()) < until) {
        auto viewer = std::make_unique<QWebSocket>();
        QWebSocket* socket = viewer.get();
        const size_t index = mViewers.size();
        mArrivals.emplace_back();
        connect(socket, &QWebSocket::connected, this, [this] {
            if (++mConnected == Viewers) {
                std::puts("connected");
                std::fflush(stdout);
            } else if (mConnected == int(mViewers.size())) {
                open();
            }
        });
        connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
                [socket] {
                    std::fprintf(stderr, "bench_liveresults: a viewer failed: %s\n",
                                 qPrintable(socket->errorString()));
                    QCoreApplication::exit(1);
                });
        connect(socket, &QWebSocket::textMessageReceived, this, [this, index](const QString& text) {
            if (text.contains(u"\"scores\""_s))
                mArrivals[index].push_back(nowNs());
        });
        socket->open(QUrl(u"ws://127.0.0.1:%1/updates"_s.arg(mPort)));
        mViewers.push_back(std::move(viewer));
    }
}

void ViewerCrowd::report() {
    mInput.setEnabled(false);
    for (const auto& viewer : mViewers)
        viewer->disconnect(this);
    for (const auto& arrivals : mArrivals) {
        std::putchar('v');
        for (const qint64 at : arrivals)
            std::printf(" %lld", static_cast<long long>(at));
        std::putchar('\n');
    }
    std::fflush(stdout);
    QCoreApplication::exit(0);
}
