// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <QtTest>

namespace tarvelo::test {

using app::WindowCommandLine;

// The window's options: help and version print and end, files stay files (after "--"
// too), and an unknown option is a usage error, not a file to open.
class CommandLineTest : public QObject
{
    Q_OBJECT

  private slots:
    void argumentsGiveTheirAction_data();
    void argumentsGiveTheirAction();
    void versionNamesTheWindowAndTheLicence();
};

void CommandLineTest::argumentsGiveTheirAction_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QStringList>("files");

    const auto open = static_cast<int>(WindowCommandLine::Action::Open);
    const auto help = static_cast<int>(WindowCommandLine::Action::Help);
    const auto version = static_cast<int>(WindowCommandLine::Action::Version);
    const auto wrong = static_cast<int>(WindowCommandLine::Action::UsageError);
    QTest::newRow("nothing") << QStringList{} << open << QStringList{};
    QTest::newRow("files in order") << QStringList{"b.iso", "/media/a"} << open
                                    << QStringList{"b.iso", "/media/a"};
    QTest::newRow("--help") << QStringList{"--help"} << help << QStringList{};
    QTest::newRow("-h among files") << QStringList{"a.iso", "-h"} << help << QStringList{};
    QTest::newRow("--version") << QStringList{"--version"} << version << QStringList{};
    QTest::newRow("names after --") << QStringList{"--", "-x.iso", "--help"} << open
                                    << QStringList{"-x.iso", "--help"};
    QTest::newRow("unknown long option") << QStringList{"--bogus"} << wrong << QStringList{};
    QTest::newRow("unknown short option") << QStringList{"-x.iso"} << wrong << QStringList{};
}

void CommandLineTest::argumentsGiveTheirAction()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QStringList, files);
    arguments.prepend(QStringLiteral("tarvelo"));
    const auto command = app::parseWindowCommandLine(arguments);
    QCOMPARE(static_cast<int>(command.action), action);
    QCOMPARE(command.files, files);
    if (command.action != WindowCommandLine::Action::Open) QVERIFY(!command.text.isEmpty());
}

void CommandLineTest::versionNamesTheWindowAndTheLicence()
{
    const auto command = app::parseWindowCommandLine({"tarvelo", "--version"});
    QVERIFY2(command.text.startsWith(QStringLiteral("tarvelo ")), qPrintable(command.text));
    QVERIFY2(command.text.contains(QStringLiteral("GPL-3.0-or-later")), qPrintable(command.text));
}

} // namespace tarvelo::test

QTEST_APPLESS_MAIN(tarvelo::test::CommandLineTest)
#include "command_line_test.moc"
