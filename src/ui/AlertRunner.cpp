#include "ui/AlertRunner.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace pairsift {

QMessageBox* AlertRunner::beginSheet(const AlertText& text, QWidget* window, Completion completion)
{
    // An alert without a button could never be dismissed; a fourth would have no symbol to answer with.
    QStringList titles = text.buttons.mid(0, 3);
    if (titles.isEmpty())
        titles.append(QStringLiteral("OK"));
    // The title is the program's: a message as long as a sentence would be cut off there.
    auto* alert = new QMessageBox(QMessageBox::Warning, QGuiApplication::applicationDisplayName(), text.message,
                                  QMessageBox::NoButton, window);
    alert->setInformativeText(text.informativeText);
    QList<QAbstractButton*> buttons;
    for (const QString& title : titles)
        buttons.append(alert->addButton(title, buttons.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole));
    alert->setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
    alert->setEscapeButton(buttons.last());
    if (text.showsSuppressionButton)
        alert->setCheckBox(new QCheckBox(QStringLiteral("Do not ask again")));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    // Context object: the alert, so a window taking it down first silences the call.
    QObject::connect(alert, &QDialog::finished, alert,
                     [alert, buttons, completion = std::move(completion), called = false]() mutable {
                         if (called || !completion)
                             return;
                         called = true;
                         const auto index = buttons.indexOf(alert->clickedButton());
                         const AlertResult result = index < 0 ? AlertResult::Cancelled : static_cast<AlertResult>(index);
                         completion(*alert, result);
                     });
    alert->open();
    return alert;
}

bool AlertRunner::isSuppressionChecked(const QMessageBox& alert)
{
    return alert.checkBox() && alert.checkBox()->isChecked();
}

} // namespace pairsift
