#pragma once

#include <QList>
#include <QObject>
#include <QStringListModel>
#include <QTime>

// What the operator must know but must not stop the meet for: a score for an
// unknown competitor number, a database write that failed, a refused record.
// The server window lists them; headless mode prints them on stderr.
//
// The list stays readable through a long meet: an alert raised again is
// folded into its earlier line, which then counts the times and shows the
// time of the last one and moves to the end; only the newest lines are kept.
class OperatorAlerts : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxLines = 1000;
    // What of one value a station sent an alert shows.
    static constexpr int MaxStationValue = 80;
    // No alert line is longer, whatever went into it.
    static constexpr int MaxText = 500;

    using QObject::QObject;

    // A value a station sent, fit for an alert: control characters dropped,
    // at most MaxStationValue characters kept. A station cannot fill the list
    // with one long field, nor break its line.
    static QString stationValue(const QString& value);

    // Adds one alert, stamped with the time of day. Control characters are
    // dropped and the text is cut at MaxText characters.
    void raise(const QString& text);

    // The lines, oldest first: "HH:mm:ss  text", or for an alert raised more
    // than once "HH:mm:ss  text  (N times)" with the time of the last one.
    QStringList alerts() const { return mModel.stringList(); }
    // The same lines as a list model, kept up to date.
    QStringListModel* model() { return &mModel; }
    void clear();

Q_SIGNALS:
    // Every alert as it is raised (a log prints each one).
    void alertRaised(const QString& stampedText);
    void cleared();

private:
    struct Line {
        QString text;
        int count = 0;
        QTime last;
    };
    static QString lineText(const Line& line);

    QList<Line> mLines; // the model's rows, oldest first
    QStringListModel mModel;
};
