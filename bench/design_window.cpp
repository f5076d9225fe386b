// bench-design-window: the console's window as form1.ui designs it and nothing else (no port,
// no settings, no timers), the floor that the console's start-up time and memory are compared
// with besides the bare window.
//
//   bench-design-window   shows the window until it is closed or killed
#include "ui_form1.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    Ui::Form1 ui;
    ui.setupUi(&window);
    window.show();
    return app.exec();
}
