#pragma once

#include "device/transferreceiver.h"
#include "records/control.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QStringList>

#include <memory>

class ArchiveIndex;
class ArchiveIndexer;
class History;
class MeasurementModel;
class ProgramSettings;
class QLabel;
class QMessageBox;
class QModelIndex;
class QProgressBar;
class QSerialPort;
class QTimer;
class SerialDeviceEnumerator;
class SerialDeviceSource;

namespace Ui {
class MainWindow;
}
// The main window's generated form. Its class in the .ui file is "MainWindow", so that uic and
// lupdate put its texts in the "MainWindow" translation context together with the window's own.
using MainWindowUi = Ui::MainWindow;

// The program's one window. It owns the run-time state (the port, the instrument's texts and the
// measurement store) and receives every user action and device notification.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Without a device source the operating system's serial devices are watched.
    explicit MainWindow(QWidget *parent = nullptr, SerialDeviceSource *deviceSource = nullptr);
    ~MainWindow() override;

    // Read-only views of the run-time state, for tests and tools.
    const Measurements &measurementStore() const { return measurements; }
    QString instrumentName() const { return deviceName; }
    QString instrumentSerialNumber() const { return serialNumber; }
    QSerialPort *serialPort() const { return port; }
    SerialDeviceEnumerator *deviceEnumerator() const { return enumerator; }

    // Reads a file of changes into the window, with every check and message of Read; a file that
    // is refused changes nothing. Returns whether the file was read.
    bool readChangesFrom(const QString &fileName);

    // Handles one delivery of bytes as if it had just been read from the port.
    void receiveDelivery(const QByteArray &delivery);

    // Where every transfer is kept as a file of changes; empty keeps none. The folder's index,
    // in the given file or else in this user's data folder, is brought up to date beside the
    // window.
    void setTransferArchiveFolder(const QString &folder, const QString &indexFile = {});
    QString transferArchiveFolder() const { return archiveFolder; }
    ArchiveIndexer *archiveIndexer() const { return indexer; }

    // Keeps a transfer still arriving as cut off and remembers the window's place for the next
    // start. Runs when the window closes (also when the system asks the program to end), at Exit
    // and when the application quits otherwise; running it twice does no harm.
    void endSession();

protected:
    void closeEvent(QCloseEvent *event) override;
    // A file of changes dropped on the window is read like one chosen in the Read dialog.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void on_tableMeasurement_clicked(const QModelIndex &index);
    void on_actionRead_triggered(bool checked);
    void showChange(const QStringList &devices);
    void showData();
    void transaction();

private:
    // The toolkit's actions have no activation signal of their own; these run on triggered(),
    // connected once each in connectActions(). They are no slots, so that the by-name connection
    // of the form does not look for an "activated" signal that does not exist.
    void on_actionAbout_activated();
    void on_actionHelp_activated();
    void on_actionPrint_activated();
    void on_actionExit_activated();
    void on_actionRead_activated();
    void on_actionSave_activated();
    void on_actionHistory_activated();
    void on_actionCompare_activated();
    void on_actionArchiveFolder_activated();
    void connectActions();
    // Runs on every change of the table's selection; no slot, as the view has no such signal of
    // its own to be connected by name.
    void on_tableMeasurement_itemSelectionChanged();

    // What the window shows, with the object, inspector and date as they stand in their fields:
    // the one place that reads a control from the window.
    Control shownControl() const;
    // The one place where a control replaces what is shown. A control without a valid date
    // leaves the date field as it is.
    void showControl(const Control &control);
    // The control with the object and inspector that the operator has typed.
    Control namedAsTyped(Control control) const;

    void openPort(QString name);
    void closePort();
    void showOpenFailureBox(const QString &name, const QString &text, const QString &reason);
    void closeOpenFailureBox();

    void handleUnfinishedLine();
    // A transfer still arriving when its line goes or the program ends is kept as cut off.
    void cutOffArrivingTransfer();

    // The one place where a received transfer replaces what is shown, and the one place that
    // learns of a transfer that will never be complete; what is shown stays as it was then.
    void transferEnded(const ReceivedTransfer &transfer);
    void transferCutOff(const ReceivedTransfer &transfer);
    void showTransferProgress();

    void showConnectionState();

    // The settings: read once at start, and written at every change of what they remember.
    void restoreSettings();
    void rememberFile(const QString &fileName, bool saved, bool isChangeFile);
    void writeSettings(ProgramSettings &settings);
    void showRecentFiles(const QStringList &files);
    // Keeps the transfer in the archive folder; returns what the status bar is to say of it.
    QString archiveTransfer(const ReceivedTransfer &transfer, bool cutOff);
    // Names typed after the shown transfer was kept go into its kept file too, so that quitting
    // without Save does not lose them. Runs before what is shown is replaced or used, and at
    // the end of the session; not at every key.
    void keepTypedNames();
    // The index on this thread, for History and Compare; opened at their first use.
    ArchiveIndex *historyIndex();
    void showIndexProgress();

    SerialDeviceEnumerator *enumerator = nullptr;
    QSerialPort *port = nullptr;
    QString deviceName;
    QString serialNumber;
    Measurements measurements;
    MainWindowUi *ui = nullptr;
    MeasurementModel *measurementModel = nullptr;
    QPointer<QMessageBox> openFailureBox;
    QString openFailurePort;

    TransferReceiver receiver { { [this] { strayReadingsShown = 0; },
                                  [this](const ReceivedTransfer &ended) { transferEnded(ended); },
                                  [this](const ReceivedTransfer &cut) { transferCutOff(cut); } } };
    // Said again in every transfer message until the next transfer has ended.
    QString cutOffNotice;
    qsizetype strayReadingsShown = 0;
    // Restarted by every delivery that leaves an unfinished line; when it fires the line is over.
    QTimer *quietTimer = nullptr;

    bool readingChanges = false;
    QLabel *connectionState = nullptr;
    QString archiveFolder;
    // The kept file of the transfer shown, and what it holds; no file once another is shown.
    QString keptShownFile;
    Control keptShownContent;
    ArchiveIndexer *indexer = nullptr;
    std::unique_ptr<ArchiveIndex> shownIndex;
    QPointer<History> history;
    QProgressBar *indexProgress = nullptr;
    // The file the readings shown came from or were kept in; empty for none.
    QString shownFile;
    // The selection's figures last shown, so that a message of another kind is not cleared when
    // the selection goes.
    QString shownFigures;
    bool settingsProblemTold = false;
};
