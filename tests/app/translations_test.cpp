// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/messages.h"
#include "app/translations.h"
#include "tests/app/app_fixture.h"

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

namespace tarvelo::test {

// The window speaks Serbian, Qt's own dialogs and buttons included, and English to a
// user whose language is English.
class TranslationsTest : public QObject
{
    Q_OBJECT

  private slots:
    void cleanup();

    void languageComesFromTheEnvironment_data();
    void languageComesFromTheEnvironment();
    void serbianCoversQtsOwnTexts();
    void englishCoversOurTexts();
};

void TranslationsTest::cleanup()
{
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

void TranslationsTest::languageComesFromTheEnvironment_data()
{
    QTest::addColumn<QStringList>("variables"); // LANGUAGE, LC_ALL, LC_MESSAGES, LANG
    QTest::addColumn<bool>("english");

    QTest::newRow("nothing set") << QStringList{"", "", "", ""} << false;
    QTest::newRow("English LANG") << QStringList{"", "", "", "en_GB.UTF-8"} << true;
    QTest::newRow("Serbian LANG") << QStringList{"", "", "", "sr_RS.UTF-8@latin"} << false;
    QTest::newRow("German LANG") << QStringList{"", "", "", "de_DE.UTF-8"} << false;
    QTest::newRow("LANGUAGE before LANG") << QStringList{"en:sr", "", "", "sr_RS.UTF-8"} << true;
    QTest::newRow("first of LANGUAGE counts") << QStringList{"sr:en", "", "", "en_US"} << false;
    QTest::newRow("LC_ALL before LANG") << QStringList{"", "C.UTF-8", "", "en_US"} << false;
    QTest::newRow("LC_MESSAGES before LANG") << QStringList{"", "", "en_US", "sr_RS"} << true;
}

void TranslationsTest::languageComesFromTheEnvironment()
{
    QFETCH(QStringList, variables);
    QFETCH(bool, english);

    const char* names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    QList<QByteArray> saved;
    for (int i = 0; i < 4; ++i) {
        saved << qgetenv(names[i]);
        qputenv(names[i], variables.at(i).toUtf8());
    }
    const app::Language language = app::languageFromEnvironment();
    for (int i = 0; i < 4; ++i)
        qputenv(names[i], saved.at(i));
    QCOMPARE(language == app::Language::English, english);
}

void TranslationsTest::serbianCoversQtsOwnTexts()
{
    app::installTranslations(app::Language::Serbian);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tarvelo"), app::text("Da?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Da"));
    QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("&Ne"));
    QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("U redu"));

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text(),
             QStringLiteral("&Ime fajla:"));
    QCOMPARE(dialog.labelText(QFileDialog::Accept), QStringLiteral("&Sačuvaj"));
    QCOMPARE(dialog.labelText(QFileDialog::Reject), QStringLiteral("Otkaži"));
    QCOMPARE(app::busyCaption(), QStringLiteral("Tarvelo [Generišem...]"));
}

void TranslationsTest::englishCoversOurTexts()
{
    app::installTranslations(app::Language::English);
    QCOMPARE(app::noDriveMessage().text,
             QStringLiteral("Tarvelo found no CD-ROM drive on your system."));
    QCOMPARE(app::busyCaption(42), QStringLiteral("Tarvelo [Writing... 42%]"));

    AppServices services;
    const auto window = services.window();
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
             QStringLiteral("Drive:"));
    QCOMPARE(window->findChild<QPushButton*>(QStringLiteral("cmdGenreate"))->text(),
             QStringLiteral("&Generate report"));
    QCOMPARE(window->findChild<QFileDialog*>(QStringLiteral("CDlg"))->windowTitle(),
             QStringLiteral("Save the report as..."));
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tarvelo"), QString(),
                    QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));
}

} // namespace tarvelo::test

QTEST_MAIN(tarvelo::test::TranslationsTest)
#include "translations_test.moc"
