#include "app/messages.h"

namespace tarvelo::app {
namespace {

const QString kProgramName = QStringLiteral("Tarvelo");

QString problemLine(const std::optional<report::Problem>& problem)
{
    if (!problem) return {};
    return QStringLiteral("\n%1: %2")
        .arg(QString::fromStdString(problem->path), QString::fromStdString(problem->reason));
}

Message failureMessage(const report::RunOutcome& outcome)
{
    if (outcome.failure == report::FailureKind::CannotReplace)
        return {QMessageBox::Critical, QStringLiteral("Greška prilikom brisanja fajla.")};
    return {QMessageBox::Critical,
            QStringLiteral("Greška prilikom upisa izveštaja.") + problemLine(outcome.problem)};
}

} // namespace

QString idleCaption()
{
    return kProgramName;
}

QString busyCaption()
{
    return QStringLiteral("Tarvelo [Generišem...]");
}

Message noDriveMessage()
{
    return {QMessageBox::Warning,
            QStringLiteral("Tarvelo nije detektovao nijedan CD-ROM uređaj na vašem sistemu.")};
}

Message noticeMessage(const QString& text)
{
    return {QMessageBox::NoIcon, text};
}

std::optional<Message> outcomeMessage(const report::RunOutcome& outcome)
{
    switch (outcome.kind) {
    case report::OutcomeKind::Done:
        return Message{QMessageBox::Information, QStringLiteral("Uspešno generisan izveštaj!")};
    case report::OutcomeKind::NotReady:
        return Message{QMessageBox::Critical, QStringLiteral("CD nije u drajvu!")};
    case report::OutcomeKind::Failed:
        return failureMessage(outcome);
    case report::OutcomeKind::Incomplete:
        return Message{QMessageBox::Warning,
                       QStringLiteral("Izveštaj nije potpun.") + problemLine(outcome.problem)};
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
    const QString text =
        QStringLiteral("Fajl '%1' vec postoji.\nDa li želite da zamenite postijeći fajl?")
            .arg(fileName);
    QMessageBox box(QMessageBox::Question, kProgramName, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    return box.exec() == QMessageBox::Yes;
}

} // namespace tarvelo::app
