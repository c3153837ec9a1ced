// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_window.h"

#include <QKeyEvent>
#include <QPainter>

#include "app/window_placement.h"

#include "ui_about_window.h"

namespace tarvelo::app {

AboutWindow::AboutWindow(QWidget& owner)
    : QDialog(&owner, Qt::Dialog | Qt::FramelessWindowHint), m_ui(std::make_unique<Ui::frmAbout>()),
      m_picture(QStringLiteral(":/tarvelo/about.png"))
{
    m_ui->setupUi(this);
    setFixedSize(size());
    centreByFrame(*this, owner.frameGeometry().center());
}

AboutWindow::~AboutWindow() = default;

void AboutWindow::paintEvent(QPaintEvent*)
{
    // The picture at its own size from the top-left corner; it is a row higher than the
    // window, so its last row stays out of sight.
    QPainter(this).drawPixmap(0, 0, m_picture);
}

void AboutWindow::keyPressEvent(QKeyEvent* event)
{
    event->accept(); // not passed on: a dialog would close on Esc
}

void AboutWindow::on_Image1_clicked()
{
    accept();
}

} // namespace tarvelo::app
