// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include <QStringList>
#include <QWidget>

#include "app/drive_list.h"
#include "app/input_blocker.h"
#include "app/report_save_dialog.h"
#include "platform/optical_drives.h"
#include "report/report_run.h"

namespace Ui {
class frmMain;
}

namespace tarvelo::app {

class BackgroundRun;

// frmMain: the drive list, the two archive options, Generate and Exit, and the logo
// that opens the about window. Images and folders join the list from the command line,
// by dropping them on the window, or through Ctrl+O. The services a run reports with and
// the drives are the caller's.
class MainWindow final : public QWidget
{
    Q_OBJECT

public:
    MainWindow(const report::RunServices& services, const platform::DriveFinder& drives,
               char decimalSeparator);
    ~MainWindow() override;

    // Adds images and folders to the list, the last one selected; one that cannot be read
    // is named in a message with the reason.
    void addSources(const QStringList& paths);
    bool hasEntries() const noexcept { return !m_driveList.isEmpty(); }
    bool isRunning() const noexcept { return m_run != nullptr; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void on_cmdGenreate_clicked();
    void on_cmdExit_clicked();
    void on_Image1_clicked();

private:
    report::RunRequest requestFromControls(const QString& source) const;
    void openImage();
    void askToStop(InputBlocker::StopWish wish);
    void finishRun();

    std::unique_ptr<Ui::frmMain> m_ui;
    report::RunServices m_services;
    const platform::DriveFinder& m_drives;
    char m_decimalSeparator;
    ReportSaveDialog m_saveDialog;
    DriveList m_driveList;
    std::unique_ptr<BackgroundRun> m_run;
    bool m_askingToStop = false;
    bool m_finishedWhileAsking = false;
    bool m_closeAfterRun = false;
};

} // namespace tarvelo::app
