#include <QComboBox>
#include <QDir>
#include <QtTest>

#include "app/about_window.h"
#include "tests/app/app_fixture.h"

namespace tarvelo::test {

// Pictures of both windows in the build folder, to compare with their layouts by eye.
class ScreenshotTest : public QObject
{
    Q_OBJECT

private slots:
    void picturesOfBothWindows();
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

    const QDir folder(QStringLiteral(TARVELO_SCREENSHOT_DIR));
    QVERIFY(main.save(folder.filePath(QStringLiteral("frmMain.png"))));
    QVERIFY(picture.save(folder.filePath(QStringLiteral("frmAbout.png"))));
}

} // namespace tarvelo::test

QTEST_MAIN(tarvelo::test::ScreenshotTest)
#include "screenshot_test.moc"
