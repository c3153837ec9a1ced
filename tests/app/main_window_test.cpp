// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "app/main_window.h"
#include "tests/app/app_fixture.h"
#include "tests/app/modal_script.h"

namespace tarvelo::test {

// The window as the user meets it: its controls, keys and the about window.
class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void bothOptionsStartTicked();
    void controlsSitWhereTheLayoutPutsThem_data();
    void controlsSitWhereTheLayoutPutsThem();
    void everyControlUsesTheWindowFont();
    void tabVisitsTheControlsInOrder();
    void enterAndEscapeWorkFromAnyControl_data();
    void enterAndEscapeWorkFromAnyControl();
    void accessKeysPressTheButtons();
    void aboutWindowOpensAndClosesAgainAndAgain();

private:
    template <typename Widget> Widget* control(const char* name) const
    {
        return m_window->findChild<Widget*>(QLatin1String(name));
    }
    void showActive();

    std::unique_ptr<AppServices> m_services;
    std::unique_ptr<app::MainWindow> m_window;
};

void MainWindowTest::init()
{
    m_services = std::make_unique<AppServices>();
    m_window = m_services->window();
}

void MainWindowTest::cleanup()
{
    m_window.reset();
    m_services.reset();
}

void MainWindowTest::showActive()
{
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void MainWindowTest::bothOptionsStartTicked()
{
    QVERIFY(control<QCheckBox>("chbZIP")->isChecked());
    QVERIFY(control<QCheckBox>("chbRAR")->isChecked());
}

void MainWindowTest::controlsSitWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry"); // in pixels, within the control's container

    QTest::newRow("window") << "frmMain" << QRect(0, 0, 270, 142);
    QTest::newRow("frame") << "Frame1" << QRect(8, 0, 255, 136);
    QTest::newRow("drive list") << "cmbCD" << QRect(56, 16, 185, 23);
    QTest::newRow("its caption") << "Label1" << QRect(8, 19, 113, 17);
    QTest::newRow("generate, in the window") << "cmdGenreate" << QRect(20, 100, 113, 25);
    QTest::newRow("exit, in the frame") << "cmdExit" << QRect(130, 100, 113, 25);
    QTest::newRow("zip option") << "chbZIP" << QRect(20, 50, 161, 21);
    QTest::newRow("rar option") << "chbRAR" << QRect(20, 70, 161, 21);
    QTest::newRow("logo") << "Image1" << QRect(197, 53, 32, 32);
}

void MainWindowTest::controlsSitWhereTheLayoutPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    const QWidget* widget =
        name == QStringLiteral("frmMain") ? m_window.get() : m_window->findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    if (widget->isWindow()) {
        QCOMPARE(widget->size(), geometry.size());
        QCOMPARE(widget->minimumSize(), widget->maximumSize()); // the size cannot change
    } else {
        QCOMPARE(widget->geometry(), geometry);
    }
}

void MainWindowTest::everyControlUsesTheWindowFont()
{
    const QStringList windowFaces{QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue")};
    for (const char* name : {"cmbCD", "Label1", "cmdGenreate", "cmdExit", "chbZIP", "chbRAR"}) {
        const QFont font = control<QWidget>(name)->font();
        QVERIFY2(windowFaces.contains(QFontInfo(font).family()), name);
        QCOMPARE(font.pointSizeF(), 8.25);
    }
    QCOMPARE(control<QGroupBox>("Frame1")->font().family(), QStringLiteral("MS Sans Serif"));
}

void MainWindowTest::tabVisitsTheControlsInOrder()
{
    showActive();
    QCOMPARE(QApplication::focusWidget(), control<QWidget>("cmbCD"));
    QStringList visited;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, QStringList({"cmdGenreate", "cmdExit", "chbZIP", "chbRAR", "cmbCD"}));
}

void MainWindowTest::enterAndEscapeWorkFromAnyControl_data()
{
    QTest::addColumn<QString>("focus");
    for (const char* name : {"cmbCD", "chbZIP", "chbRAR", "cmdGenreate"})
        QTest::newRow(name) << name;
}

void MainWindowTest::enterAndEscapeWorkFromAnyControl()
{
    QFETCH(QString, focus);
    showActive();
    QWidget* focused = m_window->findChild<QWidget*>(focus);
    focused->setFocus();

    // The selected drive holds no disc, so Generate ends with that message.
    const ModalScript script({"Ok"});
    QTest::keyClick(focused, Qt::Key_Return);
    QTRY_VERIFY(script.done() && !m_window->isRunning());
    QCOMPARE(script.seen(), QStringList{"Critical [Ok]: CD nije u drajvu!"});
    QVERIFY(m_window->isVisible());

    QTest::keyClick(focused, Qt::Key_Escape);
    QVERIFY(!m_window->isVisible());
}

void MainWindowTest::accessKeysPressTheButtons()
{
    showActive();
    const ModalScript script({"Ok"});
    QTest::keyClick(m_window.get(), Qt::Key_G, Qt::AltModifier);
    QTRY_VERIFY(script.done() && !m_window->isRunning());
    QCOMPARE(script.seen().size(), 1);

    showActive(); // as the desktop does when the message box has gone

    QTest::keyClick(m_window.get(), Qt::Key_I, Qt::AltModifier);
    QTRY_VERIFY(
        !m_window->isVisible()); // an access key clicks after the button shows itself pressed
}

void MainWindowTest::aboutWindowOpensAndClosesAgainAndAgain()
{
    m_window->move(300, 300); // away from the screen's edges, which would push the about window
    showActive();
    auto* drives = control<QComboBox>("cmbCD");
    drives->setCurrentIndex(0);
    control<QCheckBox>("chbRAR")->setChecked(false);
    auto* logo = control<QLabel>("Image1");
    QCOMPARE(logo->toolTip(), QStringLiteral("O programu..."));
    QCOMPARE(logo->pixmap().size(), QSize(32, 32));

    constexpr int kOpenings = 25;
    ModalScript script;
    QStringList problems;
    for (int i = 0; i < kOpenings; ++i) {
        script.add([this, &problems](QWidget& about) {
            if (about.objectName() != QStringLiteral("frmAbout")) problems << about.objectName();
            if (!(about.windowFlags() & Qt::FramelessWindowHint)) problems << "framed";
            if (about.parentWidget() != m_window.get()) problems << "not owned";
            if (about.size() != QSize(225, 209)) problems << "size";
            if ((about.geometry().center() - m_window->geometry().center()).manhattanLength() > 2)
                problems << "not centred";
            auto* image = about.findChild<QLabel*>(QStringLiteral("Image1"));
            if (image->toolTip() != QStringLiteral("Click to close")) problems << "tooltip";
            for (const auto key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space})
                QTest::keyClick(&about, key);
            if (!about.isVisible()) problems << "closed by a key";
            QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(200, 180));
        });
    }
    for (int i = 0; i < kOpenings; ++i)
        QTest::mouseClick(logo, Qt::LeftButton);

    QVERIFY(script.done());
    QCOMPARE(problems, QStringList());
    QCOMPARE(script.seen().size(), kOpenings);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(drives->currentIndex(), 0);
    QVERIFY(control<QCheckBox>("chbZIP")->isChecked());
    QVERIFY(!control<QCheckBox>("chbRAR")->isChecked());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Tarvelo"));
}

} // namespace tarvelo::test

QTEST_MAIN(tarvelo::test::MainWindowTest)
#include "main_window_test.moc"
