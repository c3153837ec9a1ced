// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QCheckBox>
#include <QComboBox>
#include <QAbstractFileIconProvider>
#include <QFileDialog>
#include <QLabel>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>

#include "app/main_window.h"
#include "app/messages.h"
#include "tests/app/app_fixture.h"
#include "tests/app/modal_script.h"

namespace tarvelo::test {
namespace {

const QString kQuestion = QStringLiteral(
    "Question [No Yes]: Fajl 'r.txt' već postoji.\nDa li želite da zamenite postojeći fajl?");
const QString kDone = QStringLiteral("Information [Ok]: Uspešno generisan izveštaj!");

std::string fileText(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

} // namespace

// A whole report run from the window, with the user's part played by a script.
class ReportRunTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void runEndsAsTheUserAnswers_data();
    void runEndsAsTheUserAnswers();
    void reportThatCannotBeWrittenIsAFailure();
    void unreadableFolderMakesTheReportIncomplete();
    void reportThatCannotReplaceTheOldOneIsADeleteFailure();
    void saveDialogOffersThePreviousChoice();
    void readerNoticeIsShownWhileTheReportIsWritten();
    void windowTakesNoInputWhileTheRunWorks();
    void closingTheWindowMidRunStopsTheRun();

private:
    QWidget* control(const char* name) const
    {
        return m_window->findChild<QWidget*>(QLatin1String(name));
    }
    // One run with the user's answers; what the user saw.
    QStringList generate(const QStringList& answers);

    std::unique_ptr<AppServices> m_services;
    std::unique_ptr<app::MainWindow> m_window;
};

void ReportRunTest::init()
{
    m_services = std::make_unique<AppServices>();
    m_window = m_services->window();
    m_window->show();
}

void ReportRunTest::cleanup()
{
    m_window.reset();
    m_services.reset();
}

QStringList ReportRunTest::generate(const QStringList& answers)
{
    const ModalScript script(answers);
    QTest::mouseClick(control("cmdGenreate"), Qt::LeftButton);
    if (!QTest::qWaitFor([&] {
            return script.done() && !m_window->isRunning() &&
                   QApplication::activeModalWidget() == nullptr;
        }))
        return {QStringLiteral("run did not end")};
    for (const QString& title : script.titles())
        if (title != QStringLiteral("Tarvelo") &&
            title != QStringLiteral("Sačuvaj izveštaj kao..."))
            return {QStringLiteral("title ") + title};
    return script.seen();
}

void ReportRunTest::runEndsAsTheUserAnswers_data()
{
    QTest::addColumn<bool>("discInDrive");
    QTest::addColumn<bool>("reportExists");
    QTest::addColumn<QStringList>("answers"); // "save:" names a file in the reports' folder
    QTest::addColumn<QStringList>("seen");
    QTest::addColumn<QString>("reportAfter"); // "none", "old" or "new"

    QTest::newRow("no disc") << false << false << QStringList{"Ok"}
                             << QStringList{"Critical [Ok]: CD nije u drajvu!"} << "none";
    QTest::newRow("dialog cancelled")
        << true << false << QStringList{"cancel"} << QStringList{"dialog []"} << "none";
    QTest::newRow("new report") << true << false << QStringList{"save:r.txt", "Ok"}
                                << QStringList{"dialog []", kDone} << "new";
    QTest::newRow("name without suffix")
        << true << false << QStringList{"save:r", "Ok"} << QStringList{"dialog []", kDone} << "new";
    QTest::newRow("existing report kept") << true << true << QStringList{"save:r.txt", "No"}
                                          << QStringList{"dialog []", kQuestion} << "old";
    QTest::newRow("existing report replaced")
        << true << true << QStringList{"save:r.txt", "Yes", "Ok"}
        << QStringList{"dialog []", kQuestion, kDone} << "new";
}

void ReportRunTest::runEndsAsTheUserAnswers()
{
    QFETCH(bool, discInDrive);
    QFETCH(bool, reportExists);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, seen);
    QFETCH(QString, reportAfter);

    const std::string path = m_services->reportPath("r.txt");
    if (reportExists) m_services->reports.write("r.txt", "old");
    answers.replaceInStrings(QStringLiteral("save:"),
                             QStringLiteral("save:%1/")
                                 .arg(QString::fromStdString(m_services->reports.path().string())));
    qobject_cast<QComboBox*>(control("cmbCD"))->setCurrentIndex(discInDrive ? 0 : 1);

    QCOMPARE(generate(answers), seen);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Tarvelo"));
    if (reportAfter == QStringLiteral("none")) {
        QVERIFY(std::filesystem::is_empty(m_services->reports.path()));
    } else if (reportAfter == QStringLiteral("old")) {
        QCOMPARE(fileText(path), std::string("old"));
    } else {
        QVERIFY(fileText(path).starts_with(
            "Tarvelo\r\n------------------------------------------------------------\r\n"
            "CD volume: DATA\r\n"));
    }
}

void ReportRunTest::reportThatCannotBeWrittenIsAFailure()
{
    // A folder that is a file: the report cannot be created there.
    const std::string blocker = m_services->reports.write("file", "").string();
    const QString path = QString::fromStdString(blocker + "/r.txt");
    qobject_cast<QComboBox*>(control("cmbCD"))->setCurrentIndex(0);

    const QStringList seen = generate({"save:" + path, "Ok"});
    QCOMPARE(seen.size(), 2);
    const QString failure = seen.at(1);
    QVERIFY2(failure.startsWith(
                 QStringLiteral("Critical [Ok]: Greška prilikom upisa izveštaja.\n") + path + ": "),
             qPrintable(failure));
}

void ReportRunTest::unreadableFolderMakesTheReportIncomplete()
{
    m_services->discs.failListing("D:\\DOCS", "Input/output error");
    qobject_cast<QComboBox*>(control("cmbCD"))->setCurrentIndex(0);
    const std::string path = m_services->reportPath("r.txt");

    const QStringList seen = generate({"save:" + QString::fromStdString(path), "Ok"});
    QCOMPARE(seen.value(1),
             QStringLiteral("Warning [Ok]: Izveštaj nije potpun.\nD:\\DOCS: Input/output error"));
    QVERIFY(fileText(path).starts_with("Tarvelo\r\n")); // what could be read is kept
}

void ReportRunTest::reportThatCannotReplaceTheOldOneIsADeleteFailure()
{
    // The host refuses a rename only in ways a dialog cannot choose, so the wording is
    // checked on its own.
    report::RunOutcome outcome;
    outcome.kind = report::OutcomeKind::Failed;
    outcome.failure = report::FailureKind::CannotReplace;
    outcome.problem = report::Problem{"/reports/r.txt", "Device or resource busy"};
    const auto message = app::outcomeMessage(outcome);
    QVERIFY(message.has_value());
    QCOMPARE(message->icon, QMessageBox::Critical);
    QCOMPARE(message->text, QStringLiteral("Greška prilikom brisanja fajla."));
}

void ReportRunTest::saveDialogOffersThePreviousChoice()
{
    const auto* dialog = m_window->findChild<QFileDialog*>(QStringLiteral("CDlg"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Sačuvaj izveštaj kao..."));
    QCOMPARE(dialog->nameFilters(), QStringList{"Text fajlovi (*.txt)"});
    QCOMPARE(dialog->defaultSuffix(), QStringLiteral("txt"));
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    // File types are named in the window's language, not by the system.
    QCOMPARE(dialog->iconProvider()->type(QFileInfo(QStringLiteral("/r.txt"))),
             QStringLiteral("TXT fajl"));

    qobject_cast<QComboBox*>(control("cmbCD"))->setCurrentIndex(0);
    const QString path = QString::fromStdString(m_services->reportPath("first.txt"));
    QCOMPARE(generate({"save:" + path, "Ok"}).size(), 2);
    QCOMPARE(generate({"cancel"}), QStringList{"dialog [first.txt]"});
    QCOMPARE(generate({"cancel"}), QStringList{"dialog [first.txt]"});
}

void ReportRunTest::readerNoticeIsShownWhileTheReportIsWritten()
{
    // No end record and no known signature: the ZIP reader walks it and says so once.
    m_services->discs.addFile("D:\\BAD.ZIP", std::string(64, 'x'));
    qobject_cast<QComboBox*>(control("cmbCD"))->setCurrentIndex(0);
    QString captionAtNotice;
    ModalScript script({"save:" + QString::fromStdString(m_services->reportPath("r.txt"))});
    script.add([&](QWidget& notice) {
        captionAtNotice = m_window->windowTitle();
        ModalScript::press(QStringLiteral("Ok"))(notice);
    });
    script.add(ModalScript::press(QStringLiteral("Ok")));
    QTest::mouseClick(control("cmdGenreate"), Qt::LeftButton);
    QTRY_VERIFY(script.done() && !m_window->isRunning() &&
                QApplication::activeModalWidget() == nullptr);

    QCOMPARE(script.seen().mid(0, 2), QStringList({"dialog []", "NoIcon [Ok]: Unknown header"}));
    // The archive is skipped, and the success message says so.
    QVERIFY(script.seen().value(2).startsWith(
        kDone + "\n\nPreskočeno arhiva koje ne mogu da se pročitaju: 1\nD:\\BAD.ZIP: "));
    QCOMPARE(script.titles().at(1), QStringLiteral("Tarvelo"));
    QCOMPARE(captionAtNotice, QStringLiteral("Tarvelo [Generišem...]"));
}

void ReportRunTest::windowTakesNoInputWhileTheRunWorks()
{
    qobject_cast<QComboBox*>(control("cmbCD"))->setCurrentIndex(0);
    m_services->outputs.close();
    const ModalScript script(
        {"save:" + QString::fromStdString(m_services->reportPath("r.txt")), "Ok"});
    QTest::mouseClick(control("cmdGenreate"), Qt::LeftButton);
    QTRY_VERIFY(m_services->outputs.waiting());

    // The run waits on its own thread; the window paints but ignores the user.
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Tarvelo [Generišem...]"));
    QVERIFY(!m_window->grab().isNull());
    auto* zip = qobject_cast<QCheckBox*>(control("chbZIP"));
    QTest::mouseClick(zip, Qt::LeftButton);
    QTest::keyClick(control("cmbCD"), Qt::Key_Down);
    QTest::mouseClick(control("Image1"), Qt::LeftButton);
    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QStringLiteral("/discs/disc07.iso"))});
    QDragEnterEvent drag(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &drag);
    QVERIFY(!drag.isAccepted()); // a file cannot be dropped now
    for (const char* name : {"cmbCD", "cmdGenreate", "cmdExit", "chbZIP", "chbRAR", "Image1"})
        QVERIFY2(control(name)->isEnabled(), name);

    m_services->outputs.open();
    QTRY_VERIFY(script.done() && !m_window->isRunning() &&
                QApplication::activeModalWidget() == nullptr);
    QCOMPARE(script.seen().last(), kDone); // no about window came between
    QVERIFY(m_window->isVisible());
    QVERIFY(zip->isChecked()); // the click was dropped, not kept for later
    QCOMPARE(qobject_cast<QComboBox*>(control("cmbCD"))->currentIndex(), 0);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Tarvelo"));
    QTest::mouseClick(zip, Qt::LeftButton);
    QVERIFY(!zip->isChecked());
}

void ReportRunTest::closingTheWindowMidRunStopsTheRun()
{
    qobject_cast<QComboBox*>(control("cmbCD"))->setCurrentIndex(0);
    const ModalScript script;
    QTest::mouseClick(control("cmdGenreate"), Qt::LeftButton);
    QVERIFY(m_window->isRunning());
    m_window.reset(); // the run's question comes after this: answered as cancelled, no dialog
    QVERIFY(script.seen().isEmpty());
    QVERIFY(std::filesystem::is_empty(m_services->reports.path()));
}

} // namespace tarvelo::test

QTEST_MAIN(tarvelo::test::ReportRunTest)
#include "report_run_test.moc"
