#include "game/GameTables.h"
#include "window/FrmGoalvanta.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Goalvanta");
    QApplication::setApplicationVersion("1.00");
    goalvanta::GameTables(); // every table in place before the window exists

    goalvanta::TFormGoalvanta window;
    window.show();
    return QApplication::exec();
}
