#pragma once

#include <QObject>
#include <QStringList>

// How long each score stays on the displays (the operator's `combo_disp_sec`).
// There is deliberately no "50" choice.
class DisplaySeconds : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    static const QStringList& choices();
    static inline const QString DefaultChoice = QStringLiteral("30");

    QString currentText() const { return mCurrent; }
    int seconds() const { return mCurrent.toInt(); }
    // Refuses (returns false) a text that is not one of the choices.
    bool setCurrentText(const QString& text);

Q_SIGNALS:
    void changed(const QString& text);

private:
    QString mCurrent = DefaultChoice;
};
