// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/app/modal_script.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaEnum>

namespace tarvelo::test {
namespace {

constexpr int kPollMilliseconds = 5;

struct ButtonName
{
    QMessageBox::StandardButton button;
    const char* name;
};
constexpr ButtonName kButtonNames[] = {{QMessageBox::Ok, "Ok"},
                                       {QMessageBox::Yes, "Yes"},
                                       {QMessageBox::No, "No"},
                                       {QMessageBox::Cancel, "Cancel"}};

QString buttonName(QMessageBox::StandardButton button)
{
    for (const auto& known : kButtonNames)
        if (known.button == button) return QLatin1String(known.name);
    return QStringLiteral("other");
}

QString describeMessageBox(const QMessageBox& box)
{
    const QMetaEnum icons = QMetaEnum::fromType<QMessageBox::Icon>();
    QStringList names;
    for (QAbstractButton* button : box.buttons())
        names << buttonName(box.standardButton(button));
    names.sort();
    return QStringLiteral("%1 [%2]: %3")
        .arg(QLatin1String(icons.valueToKey(box.icon())), names.join(u' '), box.text());
}

QString describeSaveDialog(const QFileDialog& dialog)
{
    const auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    return QStringLiteral("dialog [%1]").arg(name != nullptr ? name->text() : QStringLiteral("?"));
}

} // namespace

ModalScript::ModalScript()
{
    connect(&m_timer, &QTimer::timeout, this, &ModalScript::poll);
    m_timer.start(kPollMilliseconds);
}

ModalScript::ModalScript(const QStringList& answers) : ModalScript()
{
    for (const QString& answer : answers) {
        if (answer.startsWith(QStringLiteral("save:")))
            add(saveAs(answer.mid(5)));
        else if (answer == QStringLiteral("cancel"))
            add(cancel());
        else
            add(press(answer));
    }
}

void ModalScript::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) {
        m_handled = nullptr; // the same dialog may come again in the next run
        return;
    }
    if (modal == m_handled) return;
    m_handled = modal;
    record(*modal);
    if (m_steps.empty()) {
        m_seen.last().prepend(QStringLiteral("unexpected "));
        modal->close();
        return;
    }
    const Step step = std::move(m_steps.front());
    m_steps.pop_front();
    step(*modal);
}

void ModalScript::record(QWidget& modal)
{
    m_titles << modal.windowTitle();
    if (const auto* box = qobject_cast<QMessageBox*>(&modal))
        m_seen << describeMessageBox(*box);
    else if (const auto* dialog = qobject_cast<QFileDialog*>(&modal))
        m_seen << describeSaveDialog(*dialog);
    else
        m_seen << modal.objectName();
}

ModalScript::Step ModalScript::saveAs(const QString& path)
{
    // Typed as a whole path into the name box and accepted at once: selectFile() would
    // race with the dialog's listing of the folder.
    return [path](QWidget& modal) {
        auto* name = modal.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (qobject_cast<QFileDialog*>(&modal) != nullptr && name != nullptr) {
            name->setText(path);
            static_cast<QDialog&>(modal).accept(); // QFileDialog hides its override
        } else {
            modal.close();
        }
    };
}

ModalScript::Step ModalScript::cancel()
{
    return [](QWidget& modal) { modal.close(); };
}

ModalScript::Step ModalScript::press(const QString& button)
{
    return [button](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        for (const auto& known : kButtonNames) {
            QAbstractButton* target = box != nullptr && button == QLatin1String(known.name)
                                          ? box->button(known.button)
                                          : nullptr;
            if (target != nullptr) return target->click();
        }
        modal.close();
    };
}

} // namespace tarvelo::test
