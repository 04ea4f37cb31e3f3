#include "liveupdates.h"

#include "db/meetchanges.h"

#include <QTcpSocket>

using namespace Qt::Literals::StringLiterals;

LiveUpdates::LiveUpdates(MeetChanges& changes, QObject* parent)
    : QObject(parent)
    , mViewers(new LiveViewers) {
    mThread.setObjectName(u"Live results"_s);
    mViewers->moveToThread(&mThread);
    connect(&mThread, &QThread::finished, mViewers, &QObject::deleteLater);
    // Queued: the viewers' thread hears of the change when it is free.
    connect(&changes, &MeetChanges::resultsChangedIn, mViewers, &LiveViewers::resultsChanged);
    mThread.start();
}

LiveUpdates::~LiveUpdates() {
    // The viewers' thread ends once it has run what was posted to it before
    // (a connection handed over is not lost); the viewers and their sockets
    // are deleted on it as it finishes.
    QMetaObject::invokeMethod(mViewers, [thread = &mThread] { thread->quit(); });
    mThread.wait();
}

void LiveUpdates::addViewer(std::unique_ptr<QTcpSocket> connection) {
    QTcpSocket* socket = connection.release();
    socket->moveToThread(&mThread);
    QMetaObject::invokeMethod(mViewers, [viewers = mViewers, socket] { viewers->open(socket); });
}

void LiveUpdates::closeViewers() {
    QMetaObject::invokeMethod(mViewers, &LiveViewers::closeAll);
}

void LiveUpdates::currentSessionChanged(const QString& session) {
    QMetaObject::invokeMethod(
        mViewers, [viewers = mViewers, session] { viewers->currentSessionChanged(session); });
}

void LiveUpdates::underwayChanged() {
    QMetaObject::invokeMethod(mViewers, &LiveViewers::underwayChanged);
}
