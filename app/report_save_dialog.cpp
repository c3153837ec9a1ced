#include "app/report_save_dialog.h"

#include <QFileDialog>

#include "app/messages.h"

namespace tarvelo::app {

ReportSaveDialog::ReportSaveDialog(QWidget& owner) : m_dialog(new QFileDialog(&owner))
{
    m_dialog->setObjectName(QStringLiteral("CDlg"));
    m_dialog->setWindowTitle(text("Sačuvaj izveštaj kao..."));
    m_dialog->setNameFilter(text("Text fajlovi (*.txt)"));
    m_dialog->setDefaultSuffix(QStringLiteral("txt"));
    m_dialog->setAcceptMode(QFileDialog::AcceptSave);
    m_dialog->setFileMode(QFileDialog::AnyFile);
    // Qt's own dialog everywhere, so the filter, the suffix and the missing overwrite
    // prompt behave the same on every desktop.
    m_dialog->setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
}

std::optional<std::string> ReportSaveDialog::ask()
{
    if (!m_previousChoice.isEmpty()) m_dialog->selectFile(m_previousChoice);
    if (m_dialog->exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = m_dialog->selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    m_previousChoice = chosen.front();
    return m_previousChoice.toStdString();
}

} // namespace tarvelo::app
