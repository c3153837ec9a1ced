// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"
#include "tests/app/app_fixture.h"
#include "tests/app/modal_script.h"
#include "tests/support/fake_discs.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QtTest>

namespace tarvelo::test {
namespace {

const QString kCannotAdd = QStringLiteral("Critical [Ok]: Nije slika diska ni folder koji može da "
                                          "se pročita.\n%1: %1: no disc");

} // namespace

// The "Uređaj:" list: images and folders the user adds, and drives read again.
class DriveListTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void imagesAndFoldersJoinTheList_data();
    void imagesAndFoldersJoinTheList();
    void dropOfAnythingButLocalFilesIsRefused();
    void ctrlOAddsAnImage();
    void anImageAloneIsEnoughToStart();
    void entriesAreReadAgain_data();
    void entriesAreReadAgain();

private:
    QString image(const QString& name) const
    {
        return QString::fromStdString((m_images.path() / name.toStdString()).string());
    }
    QComboBox& list(const QWidget& window) const
    {
        return *window.findChild<QComboBox*>(QStringLiteral("cmbCD"));
    }
    QStringList entries(const QWidget& window) const;
    std::unique_ptr<app::MainWindow> window();
    static void drop(QWidget& window, const QList<QUrl>& urls, bool accepted);

    TempDir m_images;
    FakeDiscOpener m_discs;
    std::unique_ptr<AppServices> m_services;
};

void DriveListTest::init()
{
    m_images.write("disc07.iso", "an image");
    m_images.write("photos/a.jpg", "a photo");
    m_images.write("notes.txt", "no disc");
    m_discs.insert("/dev/sr0", {"DATA", 1000, 0, 7});
    m_discs.insert(image("disc07.iso").toStdString(), {"DISC07", 1000, 0, 7});
    m_discs.insert(image("photos").toStdString(), {"PHOTOS", 1000, 0, 7});
    m_services = std::make_unique<AppServices>();
    m_services->drives.drives = {{"/dev/sr0", "DATA"}};
}

void DriveListTest::cleanup()
{
    m_services.reset();
}

QStringList DriveListTest::entries(const QWidget& window) const
{
    QStringList texts;
    for (int i = 0; i < list(window).count(); ++i)
        texts << list(window).itemText(i);
    return texts;
}

std::unique_ptr<app::MainWindow> DriveListTest::window()
{
    return std::make_unique<app::MainWindow>(m_services->services(m_discs), m_services->drives,
                                             '.');
}

void DriveListTest::drop(QWidget& window, const QList<QUrl>& urls, bool accepted)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QCOMPARE(enter.isAccepted(), accepted);
    if (!accepted) return;
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &dropped);
}

void DriveListTest::imagesAndFoldersJoinTheList_data()
{
    QTest::addColumn<bool>("dropped"); // else given on the command line
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QStringList>("refused");

    const QStringList all{"/dev/sr0  [DATA]", "disc07.iso  [DISC07]", "photos  [PHOTOS]"};
    for (const bool dropped : {false, true}) {
        const char* how = dropped ? "dropped: " : "command line: ";
        QTest::addRow("%simage, folder and a file that is neither", how)
            << dropped << QStringList{"disc07.iso", "photos/", "notes.txt"} << all
            << "photos  [PHOTOS]" << QStringList{"notes.txt"};
        QTest::addRow("%sthe same image twice is listed once", how)
            << dropped << QStringList{"disc07.iso", "photos", "disc07.iso"} << all
            << "disc07.iso  [DISC07]" << QStringList{};
    }
}

void DriveListTest::imagesAndFoldersJoinTheList()
{
    QFETCH(bool, dropped);
    QFETCH(QStringList, names);
    QFETCH(QStringList, entries);
    QFETCH(QString, selected);
    QFETCH(QStringList, refused);

    QStringList seen;
    for (const QString& name : refused)
        seen << kCannotAdd.arg(image(name));
    const ModalScript script(QStringList(refused.size(), QStringLiteral("Ok")));
    std::unique_ptr<app::MainWindow> shown;
    QStringList paths;
    for (const QString& name : names)
        paths << image(name);
    if (dropped) {
        shown = window();
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        drop(*shown, urls, true);
    } else {
        shown = app::loadMainWindow(m_services->services(m_discs), m_services->drives, paths, '.');
    }
    QVERIFY(shown != nullptr);
    QCOMPARE(this->entries(*shown), entries);
    QCOMPARE(list(*shown).currentText(), selected);
    QCOMPARE(script.seen(), seen);
}

void DriveListTest::dropOfAnythingButLocalFilesIsRefused()
{
    const auto shown = window();
    drop(*shown, {QUrl(QStringLiteral("https://example.org/disc07.iso"))}, false);
    drop(*shown, {QUrl::fromLocalFile(image("disc07.iso")), QUrl(QStringLiteral("ftp://x/y.iso"))},
         false);
    QCOMPARE(entries(*shown), QStringList{"/dev/sr0  [DATA]"});
}

void DriveListTest::ctrlOAddsAnImage()
{
    const auto shown = window();
    shown->show();
    shown->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shown.get()));
    const ModalScript script({"save:" + image("disc07.iso")});
    QTest::keyClick(shown.get(), Qt::Key_O, Qt::ControlModifier);
    QTRY_VERIFY(script.done() && QApplication::activeModalWidget() == nullptr);
    QCOMPARE(script.titles(), QStringList{"Otvori sliku diska"});
    QCOMPARE(list(*shown).currentText(), QStringLiteral("disc07.iso  [DISC07]"));
}

void DriveListTest::anImageAloneIsEnoughToStart()
{
    m_services->drives.drives.clear();
    const ModalScript script;
    const auto shown = app::loadMainWindow(m_services->services(m_discs), m_services->drives,
                                           {image("disc07.iso")}, '.');
    QVERIFY(shown != nullptr && shown->isVisible());
    QCOMPARE(entries(*shown), QStringList{"disc07.iso  [DISC07]"});
    QVERIFY(script.seen().isEmpty());
}

void DriveListTest::entriesAreReadAgain_data()
{
    QTest::addColumn<bool>("byGenerate"); // else by opening the list
    QTest::newRow("opening the list") << false;
    QTest::newRow("pressing Generate") << true;
}

void DriveListTest::entriesAreReadAgain()
{
    QFETCH(bool, byGenerate);
    m_services->drives.drives = {{"/dev/sr0", "DATA"}, {"/dev/loop0", "OLD"}};
    const auto shown = window();
    shown->addSources({image("disc07.iso")});
    shown->show();
    list(*shown).setCurrentIndex(0);

    // A disc swapped, a loop device detached, a drive plugged in, an image rewritten.
    m_services->drives.drives = {{"/dev/sr0", "SWAPPED"}, {"/dev/sr1", std::nullopt}};
    m_discs.insert(image("disc07.iso").toStdString(), {"REWRITTEN", 1000, 0, 7});
    if (byGenerate) {
        const ModalScript script({"cancel"});
        QTest::mouseClick(shown->findChild<QWidget*>(QStringLiteral("cmdGenreate")),
                          Qt::LeftButton);
        QTRY_VERIFY(script.done() && !shown->isRunning());
    } else {
        list(*shown).showPopup();
        list(*shown).hidePopup();
    }
    QCOMPARE(entries(*shown),
             QStringList({"/dev/sr0  [SWAPPED]", "/dev/sr1", "disc07.iso  [REWRITTEN]"}));
    QCOMPARE(list(*shown).currentIndex(), 0); // the chosen drive stays chosen
}

} // namespace tarvelo::test

QTEST_MAIN(tarvelo::test::DriveListTest)
#include "drive_list_test.moc"
