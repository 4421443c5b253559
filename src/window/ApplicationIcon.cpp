#include "window/ApplicationIcon.h"

#include <QApplication>

// The images live in a resource of a static library, which the linker keeps only
// when it is asked for by name; the asking must happen outside any namespace.
static void InitIconResource() {
    Q_INIT_RESOURCE(goalvanta);
}

namespace goalvanta {

QIcon ApplicationIcon() {
    InitIconResource();
    // Title bars, task bars and the About box (32 pixels, 64 on a doubled screen)
    // need no more. Every image is decoded when it is added, and on X11 every one is
    // sent to the window manager before the first paint: the 128 and 256 pixel
    // images cost more than the rest together. Larger pictures of the program come
    // from the desktop's icon theme, where the package installs all sizes.
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addFile(QString(":/icons/goalvanta-%1.png").arg(size), QSize(size, size));
    return icon;
}

void SetUpApplication() {
    QApplication::setApplicationName("Goalvanta");
    QApplication::setApplicationVersion("1.00");
    QApplication::setDesktopFileName("example.goalvanta.Goalvanta");
    QApplication::setWindowIcon(ApplicationIcon());
}

} // namespace goalvanta
