#pragma once

#include "model/Session.h"
#include "results/ResultsController.h"
#include "store/PairsiftDatabase.h"
#include "testkit/EventLoopWait.h"
#include "testkit/TemporaryTree.h"

#include <QDateTime>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace pairsift::test {

// A store, a session and a results controller over a temporary folder, with the settings redirected
// there. Groups are written to the store as live rows with a digest and reach the list through the
// controller's own loader.
class ResultsFixture : public testing::Test {
protected:
    ResultsFixture();
    ~ResultsFixture() override;

    // Rows "/loc/<prefix><n>" of `size` bytes, created one day apart (the first is the oldest), sharing
    // a new digest; answers the digest.
    QByteArray addGroup(const QString& prefix, int count, quint64 size = 100);
    // The listed group of a digest (after a load).
    FileGroupPtr group(const QByteArray& digest) const;
    QModelIndex groupIndex(const QByteArray& digest, int column = 0) const;
    QModelIndex fileIndex(const QByteArray& digest, int position, int column = 0) const;

    TemporaryTree tree;
    std::shared_ptr<PairsiftDatabase> store;
    Session session;
    ResultsController controller;

private:
    int m_digests = 0;
};

} // namespace pairsift::test
