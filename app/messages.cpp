// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/messages.h"

#include <QCoreApplication>

#include "app/latin_script.h"

namespace tarvelo::app {
namespace {

const QString kProgramName = QStringLiteral("Tarvelo");
// Enough names to recognise the archives by; the report lists them all.
constexpr std::size_t kSkippedArchivesNamed = 3;

QString problemLine(const report::Problem& problem)
{
    return QStringLiteral("\n%1: %2")
        .arg(QString::fromStdString(problem.path),
             toLatinScript(QString::fromStdString(problem.reason)));
}

QString problemLine(const std::optional<report::Problem>& problem)
{
    return problem ? problemLine(*problem) : QString();
}

// How many archives were listed as plain files because they could not be read, and the
// first few of them.
QString skippedArchivesLines(const std::vector<report::Problem>& skipped)
{
    if (skipped.empty()) return {};
    QString lines = QStringLiteral("\n\n") +
                    text("Preskočeno arhiva koje ne mogu da se pročitaju: %1").arg(skipped.size());
    for (std::size_t i = 0; i < skipped.size() && i < kSkippedArchivesNamed; ++i)
        lines += problemLine(skipped[i]);
    if (skipped.size() > kSkippedArchivesNamed) lines += QStringLiteral("\n...");
    return lines;
}

Message failureMessage(const report::RunOutcome& outcome)
{
    if (outcome.failure == report::FailureKind::CannotReplace)
        return {QMessageBox::Critical, text("Greška prilikom brisanja fajla.")};
    return {QMessageBox::Critical,
            text("Greška prilikom upisa izveštaja.") + problemLine(outcome.problem)};
}

Message notReadyMessage(const report::RunOutcome& outcome, bool discThere)
{
    if (!discThere) return {QMessageBox::Critical, text("CD nije u drajvu!")};
    return {QMessageBox::Critical,
            text("Disk ne može da se pročita.") + problemLine(outcome.problem)};
}

bool askYesNo(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::Question, kProgramName, question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

QString text(const char* serbian)
{
    return QCoreApplication::translate(kTextContext, serbian);
}

QString idleCaption()
{
    return kProgramName;
}

QString busyCaption(std::optional<int> percentDone)
{
    if (!percentDone) return text("Tarvelo [Generišem...]");
    return text("Tarvelo [Generišem... %1%]").arg(*percentDone);
}

Message noDriveMessage()
{
    return {QMessageBox::Warning,
            text("Tarvelo nije detektovao nijedan CD-ROM uređaj na vašem sistemu.")};
}

Message noticeMessage(const QString& text)
{
    return {QMessageBox::NoIcon, text};
}

Message cannotAddMessage(const QString& path, const QString& reason)
{
    return {QMessageBox::Critical, text("Nije slika diska ni folder koji može da se pročita.") +
                                       QStringLiteral("\n%1: %2").arg(path, toLatinScript(reason))};
}

std::optional<Message> outcomeMessage(const report::RunOutcome& outcome, bool discThere)
{
    switch (outcome.kind) {
    case report::OutcomeKind::Done:
        return Message{QMessageBox::Information, text("Uspešno generisan izveštaj!") +
                                                     skippedArchivesLines(outcome.skippedArchives)};
    case report::OutcomeKind::NotReady:
        return notReadyMessage(outcome, discThere);
    case report::OutcomeKind::Failed:
        return failureMessage(outcome);
    case report::OutcomeKind::Incomplete:
        return Message{QMessageBox::Warning, text("Izveštaj nije potpun.") +
                                                 problemLine(outcome.problem) +
                                                 skippedArchivesLines(outcome.skippedArchives)};
    case report::OutcomeKind::Cancelled:
    case report::OutcomeKind::Interrupted:
        break;
    }
    return std::nullopt;
}

void showMessage(QWidget* parent, const Message& message)
{
    QMessageBox box(message.icon, kProgramName, message.text, QMessageBox::Ok, parent);
    box.exec();
}

bool askReplace(QWidget* parent, const QString& fileName)
{
    return askYesNo(parent,
                    text("Fajl '%1' već postoji.\nDa li želite da zamenite postojeći fajl?")
                        .arg(fileName));
}

bool askStop(QWidget* parent)
{
    return askYesNo(parent, text("Prekinuti generisanje izveštaja?"));
}

} // namespace tarvelo::app
