#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "files/safesave.h"
#include "mainwindow/messagebar.h"
#include "records/archiveindexer.h"
#include "records/changefile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

void MainWindow::keepTypedNames()
{
    if (keptShownFile.isEmpty())
        return;
    const Control content = namedAsTyped(keptShownContent);
    if (content.object == keptShownContent.object
        && content.inspector == keptShownContent.inspector)
        return;
    // A kept file that the operator has moved or removed is not brought back.
    if (!QFileInfo(keptShownFile).isFile()) {
        keptShownFile.clear();
        return;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QString error;
    if (buffer.open(QIODevice::WriteOnly) && writeChangeFile(buffer, content)
        && saveFileSafely(keptShownFile, bytes, &error)) {
        keptShownContent = content;
        // History finds the control by the names now in its file.
        if (indexer)
            indexer->indexFile(keptShownFile);
        return;
    }
    ui->statusBar->showMessage(tr("The names could not be written to the kept transfer %1: %2")
                                   .arg(QDir::toNativeSeparators(keptShownFile), error));
}
