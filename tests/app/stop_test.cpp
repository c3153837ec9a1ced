// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "app/messages.h"
#include "app/qt_run_ui.h"
#include "tests/app/app_fixture.h"
#include "tests/app/modal_script.h"

#include <QComboBox>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tarvelo::test {
namespace {

const QString kStopQuestion = QStringLiteral("Question [No Yes]: Prekinuti generisanje izveštaja?");
const QString kDone = QStringLiteral("Information [Ok]: Uspešno generisan izveštaj!");

std::string fileText(const std::filesystem::path& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

} // namespace

// A run under way: its share in the caption, and the question before it is given up.
class StopTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void captionShowsTheShareWritten_data();
    void captionShowsTheShareWritten();
    void escapeOrClosingAsksBeforeStopping_data();
    void escapeOrClosingAsksBeforeStopping();
    void reportFinishedDuringTheQuestionIsTold();

private:
    std::unique_ptr<AppServices> m_services;
    std::unique_ptr<app::MainWindow> m_window;
};

void StopTest::init()
{
    m_services = std::make_unique<AppServices>();
    m_window = m_services->window();
    m_window->show();
}

void StopTest::cleanup()
{
    m_window.reset();
    m_services.reset();
}

void StopTest::captionShowsTheShareWritten_data()
{
    QTest::addColumn<bool>("writing"); // else still scanning
    QTest::addColumn<qint64>("filesDone");
    QTest::addColumn<qint64>("filesTotal");
    QTest::addColumn<QString>("caption");

    const QString busy = QStringLiteral("Tarvelo [Generišem...]");
    QTest::newRow("still scanning") << false << qint64(5) << qint64(0) << busy;
    QTest::newRow("writing begins")
        << true << qint64(0) << qint64(200) << "Tarvelo [Generišem... 0%]";
    QTest::newRow("share rounded down")
        << true << qint64(85) << qint64(200) << "Tarvelo [Generišem... 42%]";
    QTest::newRow("all written") << true << qint64(200) << qint64(200)
                                 << "Tarvelo [Generišem... 100%]";
    QTest::newRow("disc without files") << true << qint64(0) << qint64(0) << busy;
}

void StopTest::captionShowsTheShareWritten()
{
    QFETCH(bool, writing);
    QFETCH(qint64, filesDone);
    QFETCH(qint64, filesTotal);
    QFETCH(QString, caption);

    app::ReportSaveDialog dialog(*m_window);
    app::QtRunUi ui(*m_window, dialog);
    m_window->setWindowTitle(app::busyCaption());
    report::Progress progress;
    progress.phase = writing ? report::Progress::Phase::Writing : report::Progress::Phase::Scanning;
    progress.filesDone = filesDone;
    progress.filesTotal = filesTotal;
    ui.progress(progress);
    QCoreApplication::processEvents();
    QCOMPARE(m_window->windowTitle(), caption);
}

void StopTest::escapeOrClosingAsksBeforeStopping_data()
{
    QTest::addColumn<bool>("byClosing"); // else by Esc
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("reportAfter");
    QTest::addColumn<bool>("windowStays");

    QTest::newRow("Esc, go on") << false << "No"
                                << "new" << true;
    QTest::newRow("Esc, stop") << false << "Yes"
                               << "old" << true;
    QTest::newRow("closing, go on") << true << "No"
                                    << "new" << true;
    QTest::newRow("closing, stop and close") << true << "Yes"
                                             << "old" << false;
}

void StopTest::escapeOrClosingAsksBeforeStopping()
{
    QFETCH(bool, byClosing);
    QFETCH(QString, answer);
    QFETCH(QString, reportAfter);
    QFETCH(bool, windowStays);

    m_services->reports.write("r.txt", "old");
    qobject_cast<QComboBox*>(m_window->findChild<QWidget*>(QStringLiteral("cmbCD")))
        ->setCurrentIndex(0);
    m_services->outputs.close();
    const QString path = QString::fromStdString(m_services->reportPath("r.txt"));
    QStringList answers{"save:" + path, "Yes", answer};
    if (reportAfter == QStringLiteral("new")) answers << QStringLiteral("Ok");
    const ModalScript script(answers);
    QTest::mouseClick(m_window->findChild<QWidget*>(QStringLiteral("cmdGenreate")), Qt::LeftButton);
    QTRY_VERIFY(m_services->outputs.waiting());

    if (byClosing)
        QVERIFY(!m_window->close());
    else
        QTest::keyClick(m_window->focusWidget(), Qt::Key_Escape);
    QTRY_COMPARE(script.seen().size(), 3);
    QCOMPARE(script.seen().last(), kStopQuestion);
    m_services->outputs.open();
    QTRY_VERIFY(script.done() && !m_window->isRunning() &&
                QApplication::activeModalWidget() == nullptr);

    QCOMPARE(script.seen().size(), answers.size());
    if (reportAfter == QStringLiteral("new")) QCOMPARE(script.seen().last(), kDone);
    QCOMPARE(m_window->isVisible(), windowStays);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Tarvelo"));
    const std::string text = fileText(m_services->reports.path() / "r.txt");
    QCOMPARE(text == "old", reportAfter == QStringLiteral("old"));
    // Nothing of the stopped report is left beside the old one.
    const auto files =
        std::distance(std::filesystem::directory_iterator(m_services->reports.path()),
                      std::filesystem::directory_iterator());
    QCOMPARE(files, 1);
}

void StopTest::reportFinishedDuringTheQuestionIsTold()
{
    m_services->reports.write("r.txt", "old");
    qobject_cast<QComboBox*>(m_window->findChild<QWidget*>(QStringLiteral("cmbCD")))
        ->setCurrentIndex(0);
    m_services->outputs.close();
    const auto report = m_services->reports.path() / "r.txt";
    ModalScript script({"save:" + QString::fromStdString(report.string()), "Yes"});
    script.add([&](QWidget& question) {
        // The run goes on while the user reads the question, and ends before the answer.
        m_services->outputs.open();
        if (QTest::qWaitFor([&] { return fileText(report) != "old"; }))
            ModalScript::press(QStringLiteral("Yes"))(question);
        else
            question.close();
    });
    script.add(ModalScript::press(QStringLiteral("Ok")));
    QTest::mouseClick(m_window->findChild<QWidget*>(QStringLiteral("cmdGenreate")),
                      Qt::LeftButton);
    QTRY_VERIFY(m_services->outputs.waiting());
    QVERIFY(!m_window->close());
    QTRY_VERIFY(script.done() && !m_window->isRunning() &&
                QApplication::activeModalWidget() == nullptr);

    QCOMPARE(script.seen().mid(2), QStringList({kStopQuestion, kDone}));
    QVERIFY(fileText(report).starts_with("Tarvelo\r\n"));
    QVERIFY(!m_window->isVisible()); // closed, as asked, once told
}

} // namespace tarvelo::test

QTEST_MAIN(tarvelo::test::StopTest)
#include "stop_test.moc"
