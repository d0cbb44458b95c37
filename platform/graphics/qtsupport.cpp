#include "platform/graphics/qtsupport.h"

#include <QApplication>
#include <cstdlib>

void EnsureQtApplication()
{
    if (QCoreApplication::instance())
        return;
    // Without a display and without an explicit choice, paint offscreen.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // QApplication keeps references to these for its whole life.
    static int argc = 1;
    static char name[] = "kelvor";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
}
