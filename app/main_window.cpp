// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMimeData>
#include <QShortcut>

#include <utility>

#include "app/about_window.h"
#include "app/background_run.h"
#include "app/messages.h"
#include "app/window_fonts.h"
#include "common/error.h"
#include "ui_main_window.h"

namespace tarvelo::app {
namespace {

// A fixed single border: title bar with the window menu, minimize and close, no maximize.
constexpr Qt::WindowFlags kFixedWindow = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

std::unique_ptr<Ui::frmMain> setUpControls(QWidget& window)
{
    auto ui = std::make_unique<Ui::frmMain>();
    ui->setupUi(&window);
    return ui;
}

// The local files a drag carries; nothing when anything else comes with them.
QStringList localFiles(const QMimeData& data)
{
    QStringList paths;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) return {};
        paths << url.toLocalFile();
    }
    return paths;
}

QStringList chooseImages(QWidget& owner)
{
    QFileDialog dialog(&owner, text("Otvori sliku diska"));
    dialog.setObjectName(QStringLiteral("openDialog"));
    dialog.setNameFilters({text("Slike diska (*.iso)"), text("Svi fajlovi (*)")});
    dialog.setFileMode(QFileDialog::ExistingFiles);
    useOwnFileDialog(dialog);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

} // namespace

MainWindow::MainWindow(const report::RunServices& services, const platform::DriveFinder& drives,
                       char decimalSeparator)
    : QWidget(nullptr, kFixedWindow), m_ui(setUpControls(*this)), m_services(services),
      m_drives(drives), m_decimalSeparator(decimalSeparator), m_saveDialog(*this),
      m_driveList(*m_ui->cmbCD, drives, services.volumes)
{
    applyWindowFonts(*this, *m_ui->Frame1);
    setFixedSize(size());
    setAcceptDrops(true);
    m_driveList.refresh();
    connect(m_ui->cmbCD, &DriveComboBox::aboutToShowPopup, this, [this] { m_driveList.refresh(); });
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this,
            &MainWindow::openImage);
    m_ui->cmbCD->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::addSources(const QStringList& paths)
{
    for (const QString& path : paths) {
        try {
            m_driveList.add(path);
        } catch (const Error& error) {
            showMessage(isVisible() ? this : nullptr,
                        cannotAddMessage(path, QString::fromStdString(error.what())));
        }
    }
}

report::RunRequest MainWindow::requestFromControls(const QString& source) const
{
    report::RunRequest request;
    request.source = source.toStdString();
    request.listZip = m_ui->chbZIP->isChecked();
    request.listRar = m_ui->chbRAR->isChecked();
    request.decimalSeparator = m_decimalSeparator;
    return request;
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // Keys the focused control leaves alone: Enter presses the default button, Esc the
    // cancel button.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_ui->cmdGenreate->click();
        break;
    case Qt::Key_Escape:
        m_ui->cmdExit->click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(*event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QStringList paths = localFiles(*event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    addSources(paths);
}

void MainWindow::openImage()
{
    addSources(chooseImages(*this));
}

void MainWindow::on_cmdGenreate_clicked()
{
    if (m_run) return;
    // The disc that is there now, not the one the list was filled with.
    const QString source = m_driveList.selectedSource();
    m_driveList.refresh();
    m_run = std::make_unique<BackgroundRun>(
        *this, m_saveDialog, requestFromControls(source), m_services,
        [this](InputBlocker::StopWish wish) { askToStop(wish); });
    // Queued, so the run is deleted after its signal has returned.
    connect(m_run.get(), &BackgroundRun::finished, this, &MainWindow::finishRun,
            Qt::QueuedConnection);
}

void MainWindow::askToStop(InputBlocker::StopWish wish)
{
    if (!m_run || m_askingToStop) return;
    m_askingToStop = true;
    const bool stop = askStop(this);
    m_askingToStop = false;
    if (stop) {
        m_closeAfterRun = wish == InputBlocker::StopWish::Close;
        if (m_run) m_run->stop();
    }
    if (m_finishedWhileAsking) finishRun();
}

void MainWindow::finishRun()
{
    // The run's own ending waits until the question about stopping it has been answered.
    m_finishedWhileAsking = m_askingToStop;
    if (m_askingToStop) return;
    const report::RunOutcome outcome = m_run->outcome();
    m_run.reset();
    setWindowTitle(idleCaption()); // a stopped run leaves its caption behind
    const bool discThere = outcome.kind == report::OutcomeKind::NotReady && outcome.problem &&
                           m_drives.holdsDisc(outcome.problem->path);
    // A run that ended before the user's stop came is told as it ended, closing or not.
    if (const auto message = outcomeMessage(outcome, discThere)) showMessage(this, *message);
    if (std::exchange(m_closeAfterRun, false)) close();
}

void MainWindow::on_cmdExit_clicked()
{
    close();
}

void MainWindow::on_Image1_clicked()
{
    AboutWindow about(*this);
    about.exec();
}

} // namespace tarvelo::app
