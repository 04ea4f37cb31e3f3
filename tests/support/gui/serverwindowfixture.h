#pragma once

#include "childnamed.h"
#include "operatordesk.h"
#include "popplertext.h"
#include "serverwindow.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

// The server window on the sample meet, its server listening on a free port,
// for the tests of its tabs: openWindow() in a test's init(), closeWindow()
// in its cleanup(), and the ways a test reaches the window's widgets.
class ServerWindowFixture : public QObject {
protected:
    std::unique_ptr<OperatorDesk> mDesk;
    std::unique_ptr<ServerWindow> mWindow;

    void openWindow();
    void closeWindow();

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
};
