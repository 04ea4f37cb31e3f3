#pragma once

#include <QLineEdit>
#include <QObject>

// The child of `parent` (at any depth) with that object name; a missing one
// stops the test run, since every later step would fail for that reason alone.
template <typename T>
T* childNamed(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

// The line edit of that name in `parent`.
inline QLineEdit* lineEdit(const QObject* parent, const char* name) {
    return childNamed<QLineEdit>(parent, name);
}
