// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/report_save_dialog.h"

#include <QFileDialog>
#include <QFileIconProvider>

#include "app/messages.h"

namespace tarvelo::app {
namespace {

// File types named in the window's language: the system names them in Serbian only in
// Cyrillic, which a window in Latin script should not mix in.
class FileTypeNames final : public QFileIconProvider
{
public:
    QString type(const QFileInfo& info) const override
    {
        if (info.isDir()) return text("Folder");
        const QString suffix = info.suffix().toUpper();
        return suffix.isEmpty() ? text("Fajl") : text("%1 fajl").arg(suffix);
    }
};

} // namespace

void useOwnFileDialog(QFileDialog& dialog)
{
    static FileTypeNames typeNames; // the dialogs use it without owning it
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&typeNames);
}

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
    m_dialog->setOption(QFileDialog::DontConfirmOverwrite);
    useOwnFileDialog(*m_dialog);
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
