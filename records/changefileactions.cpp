#include "mainwindow/mainwindow.h"

void MainWindow::on_actionSave_activated()
{
}

void MainWindow::on_actionRead_activated()
{
}
