// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/latin_script.h"
#include "app/messages.h"

#include <QtTest>

// Declared before the tests use it as a column type, as Qt asks.
Q_DECLARE_METATYPE(tarvelo::report::RunOutcome)

namespace tarvelo::test {
namespace {

report::RunOutcome outcome(report::OutcomeKind kind, int skipped = 0)
{
    report::RunOutcome result;
    result.kind = kind;
    for (int i = 1; i <= skipped; ++i)
        result.skippedArchives.push_back({"/disc/A" + std::to_string(i) + ".ZIP", "damaged"});
    if (kind == report::OutcomeKind::NotReady)
        result.problem = report::Problem{"/dev/sr0", "Input/output error"};
    return result;
}

} // namespace

// How a run's ending is told: what was skipped, and why a disc could not be read.
class MessagesTest : public QObject
{
    Q_OBJECT

  private slots:
    void endingsSayWhatHappened_data();
    void endingsSayWhatHappened();
    void systemReasonsComeInLatinScript_data();
    void systemReasonsComeInLatinScript();
};

void MessagesTest::endingsSayWhatHappened_data()
{
    using report::OutcomeKind;
    QTest::addColumn<report::RunOutcome>("ending");
    QTest::addColumn<bool>("discThere");
    QTest::addColumn<QString>("message"); // "Icon: text", or empty for none

    const QString done = QStringLiteral("Information: Uspešno generisan izveštaj!");
    const QString skipped = QStringLiteral("\n\nPreskočeno arhiva koje ne mogu da se pročitaju: ");
    QTest::newRow("complete") << outcome(OutcomeKind::Done) << true << done;
    QTest::newRow("two archives skipped, both named")
        << outcome(OutcomeKind::Done, 2) << true
        << done + skipped + "2\n/disc/A1.ZIP: damaged\n/disc/A2.ZIP: damaged";
    QTest::newRow("many skipped, the first three named")
        << outcome(OutcomeKind::Done, 5) << true
        << done + skipped +
               "5\n/disc/A1.ZIP: damaged\n/disc/A2.ZIP: damaged\n/disc/A3.ZIP: damaged\n...";
    QTest::newRow("empty drive") << outcome(OutcomeKind::NotReady) << false
                                 << "Critical: CD nije u drajvu!";
    QTest::newRow("disc there but unreadable")
        << outcome(OutcomeKind::NotReady) << true
        << "Critical: Disk ne može da se pročita.\n/dev/sr0: Input/output error";
    QTest::newRow("stopped by the user") << outcome(OutcomeKind::Interrupted) << true << QString();
}

void MessagesTest::endingsSayWhatHappened()
{
    QFETCH(report::RunOutcome, ending);
    QFETCH(bool, discThere);
    QFETCH(QString, message);

    const auto shown = app::outcomeMessage(ending, discThere);
    const QMetaEnum icons = QMetaEnum::fromType<QMessageBox::Icon>();
    const QString seen = shown ? QStringLiteral("%1: %2").arg(
                                     QLatin1String(icons.valueToKey(shown->icon)), shown->text)
                               : QString();
    QCOMPARE(seen, message);
}

void MessagesTest::systemReasonsComeInLatinScript_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("shown");

    QTest::newRow("Serbian Cyrillic")
        << "Нема такве датотеке или директоријума" << "Nema takve datoteke ili direktorijuma";
    QTest::newRow("letters written with two") << "Љиљана, ЊИВА и Џеп" << "Ljiljana, NjIVA i Džep";
    QTest::newRow("another language left alone")
        << "Нет такого файла или каталога" << "Нет такого файла или каталога";
    QTest::newRow("Latin script untouched") << "Input/output error" << "Input/output error";
}

void MessagesTest::systemReasonsComeInLatinScript()
{
    QFETCH(QString, reason);
    QFETCH(QString, shown);
    QCOMPARE(app::toLatinScript(reason), shown);

    report::RunOutcome ending = outcome(report::OutcomeKind::NotReady);
    ending.problem->reason = reason.toStdString();
    QVERIFY(app::outcomeMessage(ending, true)->text.endsWith(": " + shown));
}

} // namespace tarvelo::test

QTEST_MAIN(tarvelo::test::MessagesTest)
#include "messages_test.moc"
