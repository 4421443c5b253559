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
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
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
