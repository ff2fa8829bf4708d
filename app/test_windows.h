// Test helpers for the window tests: find a named child or stop the test run.
#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

/// Returns the child of `parent` named `name`; ends the test run when there is none.
template <typename T>
T* ChildOrDie(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no child %s", name);
    return found;
}
