#pragma once

#include "photolibs/ContainerType.h"
#include "removal/TrashSheetController.h"
#include "testkit/LogCapture.h"
#include "testkit/TemporaryTree.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace pairsift::test {

// A removal sheet's controller over a temporary store and tree, with the isolated Trash and a kept copy
// "kept/kept.txt" whose content the staged files share. A question about permanent deletion is recorded
// and answered with `answer`.
class RemovalScene {
public:
    static inline const QByteArray content = "same";

    RemovalScene();

    // A file with the kept copy's content; staged with the kept copy as its link target unless not.
    QString addFile(const QString& relative, bool isStaged = true, const ContainerType& type = containerTypeDirectory);
    void load();
    void selectAll();
    // The first listed row whose file answers true; -1 when none does.
    int rowWhere(const std::function<bool(const FileItem& file)>& isWanted) const;
    // Runs an action over the whole list to its end; false when no run started (the user said no).
    bool runOnAll(void (TrashSheetController::*action)());
    QStringList listed() const;
    QStringList stagedRows();

    TemporaryTree tree;
    LogCapture log;
    std::shared_ptr<PairsiftDatabase> store;
    TrashSheetController controller;
    QString kept;
    int finishedRuns = 0;
    bool answer = true;
    // The counts of files the sheet asked to delete permanently, in order.
    QList<quint64> questions;
};

} // namespace pairsift::test
