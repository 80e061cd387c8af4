#include "model/digest/extras/WholeFileIO.h"

#include "testkit/TemporaryTree.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pairsift {
namespace {

QByteArray readBack(const QString& path, int* result)
{
    std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    *result = readFile(QFile::encodeName(path).constData(), &bytes, &length);
    QByteArray content(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(length));
    std::free(bytes);
    return content;
}

int write(const QString& path, const QByteArray& content)
{
    return writeFile(QFile::encodeName(path).constData(), content.constData(), static_cast<std::size_t>(content.size()));
}

TEST(WholeFileIO, writesAndReadsBackWholeFilesOwnerOnly)
{
    test::TemporaryTree tree;
    const QString path = tree.path("data.bin");
    for (const qsizetype size : {qsizetype{5000}, qsizetype{0}, qsizetype{1}, qsizetype{3 << 20}, qsizetype{17}}) {
        const QByteArray content = test::patternBytes(size, static_cast<quint32>(size));
        ASSERT_EQ(write(path, content), 0) << size;
        int result = -1;
        EXPECT_EQ(readBack(path, &result), content) << "a longer earlier content is truncated, size " << size;
        EXPECT_EQ(result, 0);
    }
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

TEST(WholeFileIO, failuresReturnTheirErrorNumbers)
{
    test::TemporaryTree tree;
    const QString folder = tree.makeFolder("folder");
    int result = 0;
    EXPECT_EQ(write(tree.path("missing/file"), "x"), ENOENT);
    EXPECT_EQ(write(folder, "x"), EISDIR);
    readBack(tree.path("missing"), &result);
    EXPECT_EQ(result, ENOENT);
    readBack(folder, &result);
    EXPECT_EQ(result, 5) << "a folder opens but cannot be read";
}

TEST(WholeFileIO, aShortWriteReturns5AndSaysSo)
{
    test::TemporaryTree tree;
    const QString path = tree.path("limited");
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    testing::internal::CaptureStderr();
    rlimit limited = saved;
    limited.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int result = write(path, test::patternBytes(4096, 1));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    const std::string console = testing::internal::GetCapturedStderr();
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(result, 5);
    EXPECT_NE(console.find("writeFile: short write"), std::string::npos) << console;
}

TEST(WholeFileIO, aFileLargerThanMemoryReturns12)
{
    QFile overcommit(QStringLiteral("/proc/sys/vm/overcommit_memory"));
    if (overcommit.open(QIODevice::ReadOnly) && overcommit.readAll().trimmed() == "1")
        GTEST_SKIP() << "this system grants any allocation";
    test::TemporaryTree tree;
    const QString path = tree.path("sparse");
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(descriptor, 0);
    const bool grown = ::ftruncate(descriptor, off_t{1} << 43) == 0; // 8 TiB, no blocks used
    ::close(descriptor);
    if (!grown)
        GTEST_SKIP() << "the file system does not take a file this large";
    int result = 0;
    readBack(path, &result);
    EXPECT_EQ(result, 12);
}

} // namespace
} // namespace pairsift
