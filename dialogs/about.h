#pragma once

#include <QDialog>

namespace Ui {
class About;
}
// Generated from about.ui, whose class name gives the "About" translation context.
using AboutUi = Ui::About;

// A modal dialog that shows "about.html", read anew from disk at every opening.
class About : public QDialog
{
    Q_OBJECT
public:
    explicit About(QWidget *parent = nullptr);
    ~About() override;

private:
    AboutUi *ui;
};
