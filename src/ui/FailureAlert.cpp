#include "ui/FailureAlert.h"

#include "platform/desktop/FileManagerReveal.h"
#include "ui/AlertRunner.h"

#include <QPointer>
#include <QWidget>

namespace pairsift {

void alertFailure(QWidget* window, const QString& message, const QString& informativeText)
{
    AlertRunner::beginSheet({message, informativeText, {QObject::tr("OK")}}, window, nullptr);
}

void revealOrAlert(const QString& path, QWidget* window)
{
    revealInFileManager(path, [path, window = QPointer<QWidget>(window)] {
        if (window)
            alertFailure(window, QObject::tr("“%1” could not be shown in a file manager.").arg(path),
                             QObject::tr("No file manager or folder window answered."));
    });
}

} // namespace pairsift
