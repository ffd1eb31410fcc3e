#pragma once

#include <QDialog>

namespace Ui {
class Help;
}
// Generated from help.ui, whose class name gives the "Help" translation context.
using HelpUi = Ui::Help;

// A modal dialog that shows "help.html", read anew from disk at every opening.
class Help : public QDialog
{
    Q_OBJECT
public:
    explicit Help(QWidget *parent = nullptr);
    ~Help() override;

private:
    HelpUi *ui;
};
