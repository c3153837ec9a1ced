// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QDir>
#include <QPainter>
#include <QStyleOptionTitleBar>
#include <QtTest>

#include "app/about_window.h"
#include "app/messages.h"
#include "app/startup.h"
#include "app/translations.h"
#include "tests/app/app_fixture.h"
#include "tests/app/modal_script.h"
#include "tests/support/fake_discs.h"

namespace tarvelo::test {
namespace {

// The window under a title bar drawn by the style, since the offscreen platform has no
// window manager to draw the caption.
QImage withCaption(QWidget& window)
{
    QStyleOptionTitleBar bar;
    bar.initFrom(&window);
    bar.text = window.windowTitle();
    bar.icon = app::programIcon();
    bar.titleBarFlags = window.windowFlags();
    bar.titleBarState = Qt::WindowActive;
    bar.state |= QStyle::State_Active;
    bar.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarSysMenu |
                      QStyle::SC_TitleBarMinButton | QStyle::SC_TitleBarCloseButton;
    const int height = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, &window);
    bar.rect = QRect(0, 0, window.width(), height);

    QImage picture(window.width(), height + window.height(), QImage::Format_RGB32);
    QPainter painter(&picture);
    window.style()->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, &window);
    painter.drawPixmap(0, height, window.grab());
    return picture;
}

} // namespace

// Pictures of the windows in the build folder, to compare with their layouts by eye.
class ScreenshotTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { app::installTranslations(app::Language::Serbian); }
    void picturesOfBothWindows();
    void picturesOfAnImageEntryAndARun();

private:
    const QDir m_folder{QStringLiteral(TARVELO_SCREENSHOT_DIR)};
};

void ScreenshotTest::picturesOfBothWindows()
{
    AppServices services;
    const auto window = services.window({{"/dev/sr0", "DATA"}, {"/dev/sr1", std::nullopt}});
    window->findChild<QComboBox*>(QStringLiteral("cmbCD"))->setCurrentIndex(0);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QImage main = window->grab().toImage();
    QCOMPARE(main.size(), QSize(270, 142));

    app::AboutWindow about(*window);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    const QImage picture = about.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The logo covers the whole window; its last row lies outside it.
    const QImage logo =
        QImage(QStringLiteral(":/tarvelo/about.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(picture, logo.copy(0, 0, 225, 209));

    QVERIFY(main.save(m_folder.filePath(QStringLiteral("frmMain.png"))));
    QVERIFY(picture.save(m_folder.filePath(QStringLiteral("frmAbout.png"))));
}

void ScreenshotTest::picturesOfAnImageEntryAndARun()
{
    AppServices services;
    FakeDiscOpener discs;
    const QString image = QStringLiteral("/home/ana/discs/disc07.iso");
    discs.insert(image.toStdString(), {"BACKUP 2024", 1000, 0, 7});
    services.drives.drives = {{"/dev/sr0", std::nullopt}};
    app::MainWindow window(services.services(discs), services.drives, '.');
    window.addSources({image});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.findChild<QComboBox*>(QStringLiteral("cmbCD"))->currentText(),
             QStringLiteral("disc07.iso  [BACKUP 2024]"));
    QVERIFY(withCaption(window).save(m_folder.filePath(QStringLiteral("frmMain-image.png"))));

    window.setWindowTitle(app::busyCaption(42));
    QVERIFY(withCaption(window).save(m_folder.filePath(QStringLiteral("frmMain-progress.png"))));

    QImage question;
    ModalScript script;
    script.add([&question](QWidget& box) {
        question = box.grab().toImage();
        ModalScript::press(QStringLiteral("No"))(box);
    });
    QVERIFY(!app::askStop(&window));
    QVERIFY(script.done());
    QVERIFY(!question.isNull());
    QVERIFY(question.save(m_folder.filePath(QStringLiteral("stop-question.png"))));
}

} // namespace tarvelo::test

QTEST_MAIN(tarvelo::test::ScreenshotTest)
#include "screenshot_test.moc"
