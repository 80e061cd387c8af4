#include "CountingTestSupport.h"

#include "platform/UserDefaults.h"
#include "settings/PairsiftDefaults.h"
#include "settings/SettingsKeys.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace pairsift::test {

namespace {

// Far beyond any fixture scan; only a hang reaches it.
constexpr int completionBoundMSecs = 60000;

} // namespace

UnreadableFolder::UnreadableFolder(const TemporaryTree& tree, const QString& relative, unsigned mode)
    : m_path(QFile::encodeName(tree.makeFolder(relative)))
{
    EXPECT_EQ(::chmod(m_path.constData(), mode), 0);
    if (::geteuid() != 0)
        return;
    EXPECT_EQ(::chmod(QFile::encodeName(tree.root()).constData(), 0755), 0);
    constexpr uid_t unprivilegedUser = 65534;
    ::setfsuid(unprivilegedUser);
    // Asking for an impossible user changes nothing and answers the current one.
    m_isUserChanged = ::setfsuid(static_cast<uid_t>(-1)) == static_cast<int>(unprivilegedUser);
}

UnreadableFolder::~UnreadableFolder()
{
    if (m_isUserChanged)
        ::setfsuid(0);
    ::chmod(m_path.constData(), 0700);
}

bool UnreadableFolder::isDenied() const
{
    const int descriptor = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return true;
    ::close(descriptor);
    return false;
}

PipeLog::PipeLog()
{
    int ends[2];
    EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
    m_logger->addFileDescriptor(m_writeEnd);
}

PipeLog::~PipeLog()
{
    finish();
    ::close(m_readEnd);
}

void PipeLog::drainWhen(std::function<bool()> isReady)
{
    m_reader = std::thread([this, isReady = std::move(isReady)] {
        while (!isReady())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        char buffer[65536];
        for (;;) {
            const ssize_t count = ::read(m_readEnd, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                return;
            m_text.append(buffer, count);
        }
    });
}

QString PipeLog::finish()
{
    if (m_writeEnd >= 0) {
        if (!m_reader.joinable())
            drainWhen([] { return true; });
        m_logger->removeFileDescriptor(m_writeEnd);
        ::close(m_writeEnd);
        m_writeEnd = -1;
        m_reader.join();
    }
    return QString::fromUtf8(m_text);
}

CountingTest::CountingTest()
    : m_previousSystemPaths(setSystemPathTable(SystemPathTable{{m_tree.path(QStringLiteral("System"))}, {}}))
{
    UserDefaults::setConfigurationFolder(m_outside.path(QStringLiteral("settings")));
    PairsiftDefaults::registerDefaultsWithLogger(nullptr);
    setSmallFileSettings(false, 100, 0);
    m_db = PairsiftDatabase::databaseWithPath(m_outside.path(QStringLiteral("store.db3")));
    EXPECT_TRUE(m_db);
    m_session = std::make_shared<Session>(m_db, nullptr);
    m_log = std::make_unique<LogCapture>();
    m_controller = std::make_unique<CountingViewController>();
}

CountingTest::~CountingTest()
{
    m_controller.reset();
    UserDefaults::setConfigurationFolder(QString());
    setSystemPathTable(m_previousSystemPaths);
}

CountingViewController::CompletionBlock CountingTest::completionRecorder()
{
    return [this](bool finished) {
        m_completion = finished;
        ++m_completionCalls;
        if (m_loop)
            m_loop->quit();
    };
}

std::optional<bool> CountingTest::scan(const QList<LocationItemPtr>& locations, const QList<Filter>& filters)
{
    m_completion.reset();
    m_controller->addFilesInLocations(locations, filters, m_db, m_session, m_log->logger(), completionRecorder());
    return waitForCompletion();
}

std::optional<bool> CountingTest::scanPaths(const QStringList& relativePaths, const QList<Filter>& filters)
{
    QList<LocationItemPtr> locations;
    for (const QString& path : relativePaths)
        locations.append(location(path));
    return scan(locations, filters);
}

std::optional<bool> CountingTest::waitForCompletion()
{
    if (!m_completion) {
        QEventLoop loop;
        QTimer::singleShot(completionBoundMSecs, &loop, &QEventLoop::quit);
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
    }
    EXPECT_TRUE(m_completion.has_value()) << "the scan never reported";
    return m_completion;
}

LocationItemPtr CountingTest::location(const QString& relativePath) const
{
    return LocationItem::withPath(m_tree.path(relativePath));
}

std::string CountingTest::relative(const QString& path) const
{
    const QString prefix = m_tree.root() + QLatin1Char('/');
    return (path.startsWith(prefix) ? path.mid(prefix.size()) : path).toStdString();
}

std::vector<std::string> CountingTest::sessionFiles() const
{
    std::vector<std::string> files;
    for (const FileItemPtr& file : m_session->allFiles())
        files.push_back(relative(file->name()));
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> CountingTest::storedFiles() const
{
    std::vector<std::string> files;
    m_db->enumerateFiles([&](const QString& path, std::uint64_t, const QDateTime&, const QByteArray&, const QString&,
                             const QString&, bool*) { files.push_back(relative(path)); });
    std::sort(files.begin(), files.end());
    return files;
}

void CountingTest::setSmallFileSettings(bool ignoreSmallFiles, qint64 size, qint64 unitIndex)
{
    UserDefaults& settings = UserDefaults::standard();
    settings.setValue(SettingsKey::IgnoreSmallFiles, ignoreSmallFiles ? QStringLiteral("YES") : QStringLiteral("NO"));
    settings.setValue(SettingsKey::SmallFileSize, size);
    settings.setValue(SettingsKey::SmallFileSizeUnit, unitIndex);
    // Written now, so that no save is left for later (when a test may have dropped its file access).
    EXPECT_TRUE(settings.synchronize());
}

QByteArray content(qsizetype size, quint32 seed)
{
    return patternBytes(size, seed);
}

} // namespace pairsift::test
