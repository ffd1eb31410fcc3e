#include "mainwindow/mainwindow.h"

void MainWindow::on_actionPrint_activated()
{
}
