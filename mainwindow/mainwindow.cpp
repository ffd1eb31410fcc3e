#include "mainwindow/mainwindow.h"
#include "ui_mainwindow.h"

#include "files/optionalfile.h"
#include "files/regularfile.h"
#include "device/serialdeviceenumerator.h"
#include "dialogs/about.h"
#include "dialogs/help.h"
#include "dialogs/history.h"
#include "dialogs/messagelog.h"
#include "records/archiveindex.h"
#include "records/measurementmodel.h"
#include "records/selectionfigures.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDropEvent>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

MainWindow::MainWindow(QWidget *parent, SerialDeviceSource *deviceSource)
    : QMainWindow(parent)
{
    ui = new MainWindowUi;
    port = nullptr;
    ui->setupUi(this);
    connectActions();

    measurementModel = new MeasurementModel(this);
    ui->tableMeasurement->setModel(measurementModel);
    connect(ui->tableMeasurement->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::on_tableMeasurement_itemSelectionChanged);

    // The state in words beside the indicator's picture, so that it is not told by colour alone.
    ui->mainToolBar->widgetForAction(ui->actionConnection)
        ->setAccessibleName(tr("Connection indicator"));
    connectionState = new QLabel(this);
    connectionState->setObjectName(QStringLiteral("connectionState"));
    connectionState->setTextFormat(Qt::PlainText); // it names the port
    ui->statusBar->addPermanentWidget(connectionState);
    showConnectionState();

    indexProgress = new QProgressBar(this);
    indexProgress->setObjectName(QStringLiteral("indexProgress"));
    indexProgress->setFormat(tr("Indexing the archive: %v of %m"));
    indexProgress->hide();
    ui->statusBar->addPermanentWidget(indexProgress);

    quietTimer = new QTimer(this);
    quietTimer->setObjectName(QStringLiteral("quietTimer"));
    quietTimer->setSingleShot(true);
    quietTimer->setInterval(LineFramer::quietIntervalMs);
    connect(quietTimer, &QTimer::timeout, this, &MainWindow::handleUnfinishedLine);

    // The window is the enumerator's parent, so that it is released at exit; nothing uses it
    // after the window is gone.
    enumerator = new SerialDeviceEnumerator(deviceSource, this);
    enumerator->setObjectName(QStringLiteral("enumerator"));
    connect(enumerator, &SerialDeviceEnumerator::hasChanged, this, &MainWindow::showChange);
    enumerator->setEnabled(true);

    ui->dtmDate->setDateTime(QDateTime::currentDateTime());

    auto *logoButton = new QPushButton(QString());
    logoButton->setObjectName(QStringLiteral("logoButton"));
    logoButton->setIconSize(QSize(220, 42));
    logoButton->setFlat(true);
    logoButton->setAccessibleName(tr("About tolvaren"));
    logoButton->setToolTip(tr("About tolvaren"));

    auto *spacer = new QWidget(this);
    spacer->setObjectName(QStringLiteral("toolBarSpacer"));
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    // Decoded here, once: a logo that does not decode would leave an empty, invisible button.
    const QString logoFile = optionalFilePath(QStringLiteral("logo.png"));
    const QImage logo = logoFile.isEmpty()
        ? QImage()
        : imageFromBytes(readRegularFile(logoFile, maxOptionalFileBytes).bytes);
    logoButton->setIcon(logo.isNull() ? QIcon(QStringLiteral(":/images/logo.png"))
                                      : QIcon(QPixmap::fromImage(logo)));

    connect(logoButton, &QPushButton::clicked, this, &MainWindow::on_actionAbout_activated);

    ui->mainToolBar->addWidget(spacer);
    ui->mainToolBar->addWidget(logoButton);

    setAcceptDrops(true);
    restoreSettings();
}

MainWindow::~MainWindow()
{
    delete history;
    delete ui;
}

void MainWindow::connectActions()
{
    connect(ui->actionAbout, &QAction::triggered, this, &MainWindow::on_actionAbout_activated);
    connect(ui->actionHelp, &QAction::triggered, this, &MainWindow::on_actionHelp_activated);
    connect(ui->actionPrint, &QAction::triggered, this, &MainWindow::on_actionPrint_activated);
    connect(ui->actionExit, &QAction::triggered, this, &MainWindow::on_actionExit_activated);
    connect(ui->actionRead, &QAction::triggered, this, &MainWindow::on_actionRead_activated);
    connect(ui->actionSave, &QAction::triggered, this, &MainWindow::on_actionSave_activated);
    connect(ui->actionMessages, &QAction::triggered, this, [this] {
        MessageLog log(ui->statusBar->log(), this);
        log.exec();
    });
    connect(ui->actionHistory, &QAction::triggered, this, &MainWindow::on_actionHistory_activated);
    connect(ui->actionCompare, &QAction::triggered, this, &MainWindow::on_actionCompare_activated);
    connect(ui->actionArchiveFolder, &QAction::triggered, this,
            &MainWindow::on_actionArchiveFolder_activated);
}

void MainWindow::on_tableMeasurement_clicked(const QModelIndex &) { }

void MainWindow::on_tableMeasurement_itemSelectionChanged()
{
    const QString figures =
        measurementModel->figuresOf(ui->tableMeasurement->selectionModel()->selection()).text();
    if (!figures.isEmpty())
        ui->statusBar->showPassingMessage(figures);
    else if (!shownFigures.isEmpty() && ui->statusBar->currentMessage() == shownFigures)
        ui->statusBar->clearMessage();
    shownFigures = figures;
}

void MainWindow::on_actionRead_triggered(bool) { }

Control MainWindow::shownControl() const
{
    Control control;
    control.object = ui->edtObject->text();
    control.inspector = ui->edtInspector->text();
    control.dateTime = ui->dtmDate->dateTime();
    control.deviceName = deviceName;
    control.serialNumber = serialNumber;
    control.measurements = measurements;
    return control;
}

void MainWindow::showControl(const Control &control)
{
    ui->edtObject->setText(control.object);
    ui->edtInspector->setText(control.inspector);
    if (control.dateTime.isValid())
        ui->dtmDate->setDateTime(control.dateTime);
    deviceName = control.deviceName;
    ui->lblDevice->setText(deviceName);
    serialNumber = control.serialNumber;
    ui->lblZav->setText(serialNumber);
    measurements = control.measurements;
    showData();
}

Control MainWindow::namedAsTyped(Control control) const
{
    const Control shown = shownControl();
    control.object = shown.object;
    control.inspector = shown.inspector;
    return control;
}

void MainWindow::showData()
{
    measurementModel->show(measurements);
    // The instrument first, so that the task switcher tells this window from others.
    const QString instrument =
        QStringList({ deviceName, serialNumber }).join(QLatin1Char(' ')).simplified();
    setWindowTitle(instrument.isEmpty() ? tr("Measurements")
                                        : tr("%1 — Measurements").arg(instrument));
}

void MainWindow::on_actionAbout_activated()
{
    About about(this);
    about.exec();
}

void MainWindow::on_actionHelp_activated()
{
    Help help(this);
    help.exec();
}

void MainWindow::on_actionExit_activated()
{
    endSession();
    QCoreApplication::exit(0);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    // After the drop has ended, so that a message box does not hold up the program it came from.
    const QString fileName = urls.first().toLocalFile();
    QTimer::singleShot(0, this, [this, fileName] { readChangesFrom(fileName); });
}
