#pragma once

#include <memory>
#include <vector>

#include <QWidget>

#include "app/report_save_dialog.h"
#include "platform/optical_drives.h"
#include "report/report_run.h"

namespace Ui {
class frmMain;
}

namespace tarvelo::app {

class BackgroundRun;

// frmMain: the drive list, the two archive options, Generate and Exit, and the logo
// that opens the about window. The services a run reports with are the caller's.
class MainWindow final : public QWidget
{
    Q_OBJECT

public:
    MainWindow(const report::RunServices& services,
               const std::vector<platform::OpticalDrive>& drives, char decimalSeparator);
    ~MainWindow() override;

    bool isRunning() const noexcept { return m_run != nullptr; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_cmdGenreate_clicked();
    void on_cmdExit_clicked();
    void on_Image1_clicked();

private:
    void fillDriveList(const std::vector<platform::OpticalDrive>& drives);
    report::RunRequest requestFromControls() const;
    void finishRun();

    std::unique_ptr<Ui::frmMain> m_ui;
    report::RunServices m_services;
    char m_decimalSeparator;
    ReportSaveDialog m_saveDialog;
    std::unique_ptr<BackgroundRun> m_run;
};

} // namespace tarvelo::app
