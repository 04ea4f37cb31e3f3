#include "newerprimary.h"

#include "db/tallvanesettings.h"
#include "shell/appstate.h"
#include "web/newerprimarywatch.h"
#include "web/replicasource.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int AnswerMs = 3000;

} // namespace

QString newerPrimaryOf(QCoreApplication& app, AppState& state) {
    TallvaneSettings settings(state.meetDb());
    const QString standby = settings.value(ReplicaSource::StandbySetting).value_or(QString());
    const QString identity = settings.value(ReplicaSource::IdentitySetting).value_or(QString());
    const qint64 epoch =
        settings.value(ReplicaSource::EpochSetting).value_or(QString()).toLongLong();
    if (standby.isEmpty() || identity.isEmpty())
        return {};
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(standby + u"api/meet"_s));
    request.setTransferTimeout(AnswerMs);
    QNetworkReply* reply = network.get(request);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &app, [&app] { app.exit(0); });
    QObject::connect(reply, &QNetworkReply::finished, &app, [&app] { app.exit(0); });
    giveUp.start(AnswerMs + 500);
    app.exec();
    const QJsonObject meet = reply->isFinished() && reply->error() == QNetworkReply::NoError
                                 ? QJsonDocument::fromJson(reply->readAll()).object()
                                 : QJsonObject();
    QObject::disconnect(reply, nullptr, &app, nullptr);
    reply->abort();
    reply->deleteLater();
    return NewerPrimaryWatch::isNewer(meet, identity, epoch) ? standby : QString();
}
