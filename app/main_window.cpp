#include "app/main_window.h"

#include <QKeyEvent>

#include "app/about_window.h"
#include "app/background_run.h"
#include "app/messages.h"
#include "app/window_fonts.h"
#include "ui_main_window.h"

namespace tarvelo::app {
namespace {

// A fixed single border: title bar with the window menu, minimize and close, no maximize.
constexpr Qt::WindowFlags kFixedWindow = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

} // namespace

MainWindow::MainWindow(const report::RunServices& services,
                       const std::vector<platform::OpticalDrive>& drives, char decimalSeparator)
    : QWidget(nullptr, kFixedWindow), m_ui(std::make_unique<Ui::frmMain>()), m_services(services),
      m_decimalSeparator(decimalSeparator), m_saveDialog(*this)
{
    m_ui->setupUi(this);
    applyWindowFonts(*this, *m_ui->Frame1);
    setFixedSize(size());
    fillDriveList(drives);
    m_ui->cmbCD->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::fillDriveList(const std::vector<platform::OpticalDrive>& drives)
{
    for (const auto& drive : drives)
        m_ui->cmbCD->addItem(QString::fromStdString(drive.entryText()),
                             QString::fromStdString(drive.devicePath));
    m_ui->cmbCD->setCurrentIndex(m_ui->cmbCD->count() - 1);
}

report::RunRequest MainWindow::requestFromControls() const
{
    report::RunRequest request;
    request.source = m_ui->cmbCD->currentData().toString().toStdString();
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

void MainWindow::on_cmdGenreate_clicked()
{
    if (m_run) return;
    m_run = std::make_unique<BackgroundRun>(*this, m_saveDialog, requestFromControls(), m_services);
    // Queued, so the run is deleted after its signal has returned.
    connect(m_run.get(), &BackgroundRun::finished, this, &MainWindow::finishRun,
            Qt::QueuedConnection);
}

void MainWindow::finishRun()
{
    const report::RunOutcome outcome = m_run->outcome();
    m_run.reset();
    if (const auto message = outcomeMessage(outcome)) showMessage(this, *message);
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
