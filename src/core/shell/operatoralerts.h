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

    using QObject::QObject;

    // Adds one alert, stamped with the time of day.
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
