#include "liveupdates.h"

#include "db/meetdatabase.h"
#include "resultsprefetch.h"

#include <QTcpSocket>

using namespace Qt::Literals::StringLiterals;

LiveUpdates::LiveUpdates(MeetChanges& changes, QObject* parent)
    : QObject(parent)
    , mChanges(changes)
    , mViewers(new LiveViewers) {
    mThread.setObjectName(u"Live results"_s);
    mViewers->moveToThread(&mThread);
    connect(&mThread, &QThread::finished, mViewers, &QObject::deleteLater);
    connect(&changes, &MeetChanges::resultsChangedIn, this, &LiveUpdates::resultsChanged);
    mThread.start();
}

LiveUpdates::~LiveUpdates() {
    // The viewers' thread ends once it has run what was posted to it before
    // (a connection handed over is not lost); the viewers and their sockets
    // are deleted on it as it finishes.
    QMetaObject::invokeMethod(mViewers, [thread = &mThread] { thread->quit(); });
    mThread.wait();
}

void LiveUpdates::prepareResults(MeetDatabase& db, ResultsShelf& shelf,
                                 std::function<QString()> currentSession) {
    mDb = &db;
    mCurrentSession = std::move(currentSession);
    QMetaObject::invokeMethod(mViewers, [viewers = mViewers, &shelf] {
        viewers->setResultsPrefetch(std::make_unique<ResultsPrefetch>(shelf));
    });
}

void LiveUpdates::resultsChanged(const QString& session) {
    // The meet as this change left it, read here where it changes; the
    // viewers' thread hears of it when it is free.
    const QString meetFile = mDb ? mDb->filePath() : QString();
    const quint64 count = mChanges.count();
    const QString current = mCurrentSession ? mCurrentSession() : QString();
    QMetaObject::invokeMethod(mViewers, [viewers = mViewers, session, meetFile, count, current] {
        viewers->resultsChanged(session, meetFile, count, current);
    });
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
