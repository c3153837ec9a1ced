// SPDX-License-Identifier: GPL-3.0-or-later
#include <fstream>
#include <sstream>

#include <QComboBox>
#include <QScreen>
#include <QtTest>

#include "app/startup.h"
#include "tests/app/app_fixture.h"
#include "tests/app/modal_script.h"
#include "tests/support/fake_discs.h"

namespace tarvelo::test {

// Start-up: the drives the kernel knows fill the list; without one the program ends.
class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void withoutDrivesWarnsAndNeverShowsTheWindow();
    void drivesFillTheListAndTheLastIsSelected();
    void runReadsTheDriveBehindTheSelectedEntry();

private:
    std::unique_ptr<app::MainWindow> loadFromDriveTree();

    FakeDiscOpener m_drives; // the discs in the kernel's drives, by device path
    FakeDriveTree m_tree;
    const FakeDiscProbe m_probe{{"sr0", "sr2"}};
    const platform::HostDriveFinder m_finder{m_tree.root(), m_probe, m_drives};
    AppServices m_services;
};

std::unique_ptr<app::MainWindow> StartupTest::loadFromDriveTree()
{
    for (const char* name : {"sr10", "sr2", "sr0"})
        m_tree.addBlockDevice(name, 5);
    m_drives.insert("/dev/sr0", {"DATA", 1000, 0, 7});
    m_drives.insert("/dev/sr2", {"", 1000, 0, 7});
    return app::loadMainWindow(m_services.services(m_drives), m_finder, {}, '.');
}

void StartupTest::withoutDrivesWarnsAndNeverShowsTheWindow()
{
    const ModalScript script({"Ok"});
    const auto window = app::loadMainWindow(m_services.services(), m_services.drives, {}, '.');
    QVERIFY(window == nullptr);
    QCOMPARE(script.seen(), QStringList{"Warning [Ok]: Tarvelo nije detektovao nijedan CD-ROM "
                                        "uređaj na vašem sistemu."});
    QCOMPARE(script.titles(), QStringList{"Tarvelo"});
    for (const QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY(!widget->isVisible());
}

void StartupTest::drivesFillTheListAndTheLastIsSelected()
{
    const auto window = loadFromDriveTree();
    QVERIFY(window != nullptr);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Tarvelo"));
    const QRect screen = window->screen()->availableGeometry();
    QVERIFY((window->geometry().center() - screen.center()).manhattanLength() <= 2);

    const auto* list = window->findChild<QComboBox*>(QStringLiteral("cmbCD"));
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->itemText(i);
    QCOMPARE(entries, QStringList({"/dev/sr0  [DATA]", "/dev/sr2  []", "/dev/sr10"}));
    QCOMPARE(list->currentText(), QStringLiteral("/dev/sr10"));
}

void StartupTest::runReadsTheDriveBehindTheSelectedEntry()
{
    const auto window = loadFromDriveTree();
    window->findChild<QComboBox*>(QStringLiteral("cmbCD"))->setCurrentIndex(0);
    const std::string path = m_services.reportPath("sr0.txt");
    const ModalScript script({"save:" + QString::fromStdString(path), "Ok"});
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTRY_VERIFY(script.done() && !window->isRunning());

    std::ostringstream report;
    report << std::ifstream(path).rdbuf();
    QVERIFY(report.str().find("CD volume: DATA\r\n") != std::string::npos);
}

} // namespace tarvelo::test

QTEST_MAIN(tarvelo::test::StartupTest)
#include "startup_test.moc"
