#include "ResultsTestSupport.h"

#include "platform/UserDefaults.h"
#include "results/ResultsListModel.h"


namespace pairsift::test {

namespace {

// The settings must point into the temporary folder before the controller reads them.
std::shared_ptr<PairsiftDatabase> redirectedStore(const TemporaryTree& tree)
{
    UserDefaults::setConfigurationFolder(tree.makeFolder(QStringLiteral("config")));
    return PairsiftDatabase::databaseWithPath(tree.path(QStringLiteral("PairsiftData.db3")));
}

} // namespace

ResultsFixture::ResultsFixture()
    : store(redirectedStore(tree))
    , session(store, nullptr)
    , controller(session)
{
}

ResultsFixture::~ResultsFixture()
{
    UserDefaults::setConfigurationFolder(tree.path(QStringLiteral("unused")));
}

QByteArray ResultsFixture::addGroup(const QString& prefix, int count, quint64 size)
{
    const QByteArray digest(20, static_cast<char>(++m_digests));
    const QDateTime first(QDate(2020, 1, 1), QTime(12, 0), Qt::UTC);
    for (int index = 0; index < count; ++index) {
        const QString path = QStringLiteral("/loc/%1%2").arg(prefix).arg(index);
        EXPECT_TRUE(store->addFile(path, size, first.addDays(index), QStringLiteral("directory"), QStringLiteral("/loc")));
        EXPECT_TRUE(store->updateFile(path, digest));
    }
    return digest;
}

FileGroupPtr ResultsFixture::group(const QByteArray& digest) const
{
    return session.fileGroupWithSHA1(digest);
}

QModelIndex ResultsFixture::groupIndex(const QByteArray& digest, int column) const
{
    return controller.model()->indexForGroupRow(controller.model()->rowForDigest(digest), column);
}

QModelIndex ResultsFixture::fileIndex(const QByteArray& digest, int position, int column) const
{
    return controller.model()->index(position, column, groupIndex(digest));
}

} // namespace pairsift::test
