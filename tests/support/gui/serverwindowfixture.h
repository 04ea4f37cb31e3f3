#pragma once

#include "childnamed.h"
#include "operatordesk.h"
#include "popplertext.h"
#include "serverwindow.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

// The server window on the sample meet, its server listening on a free port,
// for the tests of its tabs: a window of its own for every test function, and
// the ways a test reaches the window's widgets.
class ServerWindowFixture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

protected:
    std::unique_ptr<OperatorDesk> mDesk;
    std::unique_ptr<ServerWindow> mWindow;

    template <typename T>
    T* child(const char* name) {
        return childNamed<T>(mWindow.get(), name);
    }
    void click(const char* button);
    void clickItem(QListWidget* list, int row);
    // Chooses `text` in the combo box as the operator does.
    void choose(const char* combo, const QString& text);
    QString cell(const char* grid, int row, int column);
    MeetDatabase& db() { return mDesk->state.meetDb(); }
    quint16 port() const { return quint16(mWindow->server().port()); }
    QString pin() const { return mDesk->state.pin(); }
};
