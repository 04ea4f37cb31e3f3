#pragma once

// The stations of the scores benchmark: judges that each send their next score
// once the last is confirmed, and displays that confirm every score shown, over
// TCP in line mode as a station speaks.

#include "server/sendatonce.h"
#include "shell/codepage1252.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTcpSocket>

#include <functional>
#include <memory>
#include <vector>

namespace ScoresBench {

using namespace Qt::Literals::StringLiterals;

constexpr int Judges = 28; // seven a panel, the most there is
constexpr int Displays = 8;
constexpr int ScoresPerJudge = 40;
constexpr auto Pin = "3917";

// The gymnast number of a judge's nth score: each judge has gymnasts of its own.
inline QString gymnastNumber(int judge, int score) {
    return QString::number(1000 + judge * ScoresPerJudge + score);
}

inline QString scoreMessage(int judge, int score) {
    static const QStringList events{u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s};
    const QString event = events[judge % 4];
    QString message = u"SENDSCORE|"_s + gymnastNumber(judge, score) + u"|4|1|"_s + event +
                      u"|9.1|9.2|9.3|9.4||||10|0|9.25|9.25"_s;
    if (event == u"Vault"_s)
        message += u"|9|9|9|9||||10|0|9"_s;
    return message + u"|0"_s;
}

// One station over TCP in line mode.
class Station : public QObject {
public:
    Station(quint16 port, QString login, std::function<void(Station&, const QString&)> onMessage)
        : mLogin(std::move(login))
        , mOnMessage(std::move(onMessage)) {
        connect(&mSocket, &QTcpSocket::connected, this, [this] { send(mLogin); });
        connect(&mSocket, &QTcpSocket::readyRead, this, [this] {
            mPartial += mSocket.readAll();
            qsizetype end;
            while ((end = mPartial.indexOf('\n')) >= 0) {
                const QString message = Cp1252::decode(mPartial.left(end));
                mPartial.remove(0, end + 1);
                if (message.startsWith(u"HEARTBEAT|"_s))
                    send(message);
                else
                    mOnMessage(*this, message);
            }
        });
        mSocket.connectToHost(u"127.0.0.1"_s, port);
    }
    void send(const QString& text) { sendAtOnce(mSocket, QByteArray(Cp1252::encode(text) + '\n')); }

    int judge = 0;
    int sent = 0;
    QElapsedTimer sentAt;

private:
    QTcpSocket mSocket;
    QString mLogin;
    std::function<void(Station&, const QString&)> mOnMessage;
    QByteArray mPartial;
};

// The stations of one round: the displays confirm every score shown, each
// judge sends its next score once the last one is confirmed. They live on the
// thread start() runs on; `done` is called there once every score is
// confirmed or a log-in was refused.
class LoadGenerator {
public:
    struct Result {
        std::vector<qint64> latenciesNs;
        qint64 elapsedNs = 0;
        int shown = 0;
        QString error;
    };

    LoadGenerator(quint16 port, std::function<void(Result)> done)
        : mPort(port)
        , mDone(std::move(done)) {}

    void start() {
        mResult.latenciesNs.reserve(size_t(Judges * ScoresPerJudge));
        for (int d = 0; d < Displays; ++d) {
            mStations.push_back(std::make_unique<Station>(
                mPort, u"DISPLAYAUTH|Board %1|%2|all"_s.arg(d).arg(QLatin1StringView(Pin)),
                [this](Station& display, const QString& message) {
                    const QStringList f = message.split(u'|');
                    if (f.constFirst() == u"SETSCORE"_s) {
                        ++mResult.shown;
                        display.send(u"CONFIRMSCORE|"_s + f.value(2) + u'|' + f.value(1));
                    }
                }));
            mStations.back()->judge = -1;
        }
        for (int j = 0; j < Judges; ++j) {
            static const QStringList events{u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s};
            mStations.push_back(std::make_unique<Station>(
                mPort,
                u"JUDGEAUTH|%1|Judge %2|%3|1|%4"_s.arg(events[j % 4])
                    .arg(j)
                    .arg(QLatin1StringView(Pin))
                    .arg(j / 4 + 1),
                [this](Station& judge, const QString& message) { judgeHeard(judge, message); }));
            mStations.back()->judge = j;
        }
    }

private:
    void judgeHeard(Station& judge, const QString& message) {
        if (message.startsWith(u"AUTHRESP|0"_s)) {
            if (++mLoggedIn == Judges) {
                mTotal.start();
                for (auto& each : mStations) {
                    if (each->judge >= 0) {
                        each->sentAt.start();
                        each->send(scoreMessage(each->judge, 0));
                    }
                }
            }
        } else if (message == u"SCORECONFIRM|0"_s) {
            mResult.latenciesNs.push_back(judge.sentAt.nsecsElapsed());
            if (++judge.sent == ScoresPerJudge) {
                if (++mJudgesDone == Judges) {
                    mResult.elapsedNs = mTotal.nsecsElapsed();
                    mDone(std::move(mResult));
                }
                return;
            }
            judge.sentAt.start();
            judge.send(scoreMessage(judge.judge, judge.sent));
        } else if (message.startsWith(u"AUTHRESP|1"_s)) {
            mResult.error = u"log-in refused: "_s + message;
            mDone(std::move(mResult));
        }
    }

    quint16 mPort;
    std::function<void(Result)> mDone;
    std::vector<std::unique_ptr<Station>> mStations;
    Result mResult;
    int mLoggedIn = 0;
    int mJudgesDone = 0;
    QElapsedTimer mTotal;
};

} // namespace ScoresBench
