#pragma once

#include <QDialog>

class ArchiveIndex;
class HistoryModel;

namespace Ui {
class History;
}
// Generated from history.ui, whose class name gives the "History" translation context.
using HistoryUi = Ui::History;

// Every control of the archive, newest first, found by one text and a range of days. A control
// chosen is opened in the main window or compared with the previous control of its object.
class History : public QDialog
{
    Q_OBJECT

public:
    // The index belongs to the window's thread and outlives the dialog.
    History(ArchiveIndex &index, QWidget *parent = nullptr);
    ~History() override;

    // Asks the index again, as after it has changed.
    void refresh();

signals:
    void openRequested(const QString &filePath);

private:
    void openChosen();
    void compareChosen();
    QList<int> chosenRows() const;

    HistoryUi *ui;
    ArchiveIndex &index;
    HistoryModel *model;
};
