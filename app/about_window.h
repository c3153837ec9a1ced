// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include <QDialog>
#include <QPixmap>

namespace Ui {
class frmAbout;
}

namespace tarvelo::app {

// frmAbout: the logo picture alone, without a frame or a task-bar button, modal over
// its owner (by the owner's whole frame); a click anywhere closes it.
class AboutWindow final : public QDialog
{
    Q_OBJECT

public:
    explicit AboutWindow(QWidget& owner);
    ~AboutWindow() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The window answers no key; only a click closes it.
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_Image1_clicked();

private:
    std::unique_ptr<Ui::frmAbout> m_ui;
    QPixmap m_picture;
};

} // namespace tarvelo::app
