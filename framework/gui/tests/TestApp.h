#pragma once
// The GUI tests' application object: the first call creates a QApplication on the
// offscreen platform (unless QT_QPA_PLATFORM names another), later calls return it.
// Every GUI test calls it before touching widgets, fonts or pixmaps.

#include <QApplication>

#include <cstdlib>

inline QApplication* EnsureTestApplication() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return app;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return app;
}
