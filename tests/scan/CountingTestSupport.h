#pragma once

#include "model/Session.h"
#include "scan/CountingViewController.h"
#include "settings/Filter.h"
#include "settings/LocationItem.h"
#include "store/PairsiftDatabase.h"
#include "support/foundation/PathClassification.h"
#include "testkit/LogCapture.h"
#include "testkit/TemporaryTree.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

class QEventLoop;

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pairsift::test {

// Takes every permission from a folder of the tree (or leaves it only `mode`). When the tests run as root, who reads such a folder
// anyway, the calling thread (and every thread it starts from now on) also gets the file access of an
// unprivileged user for as long as the object lives; the tree is opened to that user. isDenied() tells
// whether the folder really cannot be read.
class UnreadableFolder {
public:
    UnreadableFolder(const TemporaryTree& tree, const QString& relative, unsigned mode = 0);
    ~UnreadableFolder();
    UnreadableFolder(const UnreadableFolder&) = delete;
    UnreadableFolder& operator=(const UnreadableFolder&) = delete;

    bool isDenied() const;

private:
    QByteArray m_path;
    bool m_isUserChanged = false;
};

// A logger whose lines go into a pipe that nobody reads until drainWhen() says so: a worker that logs
// blocks once the pipe is full, so a test can act while the walk is certainly still running.
class PipeLog {
public:
    PipeLog();
    ~PipeLog();
    PipeLog(const PipeLog&) = delete;
    PipeLog& operator=(const PipeLog&) = delete;

    const SOLoggerPtr& logger() const { return m_logger; }
    // Starts reading on a thread of its own once `isReady` answers true (asked on that thread).
    void drainWhen(std::function<bool()> isReady);
    // Stops logging into the pipe and answers everything that was written.
    QString finish();

private:
    int m_readEnd = -1;
    int m_writeEnd = -1;
    SOLoggerPtr m_logger = testLogger();
    std::thread m_reader;
    QByteArray m_text;
};

// Scans of fixture trees: a tree to scan, outside it a store and a settings folder, a system-path table
// that covers only "<tree>/System", and a controller with a session on that store. Small files are not
// skipped unless a test says so.
class CountingTest : public testing::Test {
protected:
    CountingTest();
    ~CountingTest() override;

    // Runs one scan on the controller and its event loop until the completion; nothing when the
    // completion did not come within a generous bound (which fails the test).
    std::optional<bool> scan(const QList<LocationItemPtr>& locations, const QList<Filter>& filters = {});
    std::optional<bool> scanPaths(const QStringList& relativePaths, const QList<Filter>& filters = {});
    // Waits for a completion of a scan started elsewhere.
    std::optional<bool> waitForCompletion();
    CountingViewController::CompletionBlock completionRecorder();

    LocationItemPtr location(const QString& relativePath) const;
    // The session's files and the store's live rows, as paths relative to the tree, sorted.
    std::vector<std::string> sessionFiles() const;
    std::vector<std::string> storedFiles() const;
    std::string relative(const QString& path) const;

    static void setSmallFileSettings(bool ignoreSmallFiles, qint64 size, qint64 unitIndex);

    TemporaryTree m_tree;
    TemporaryTree m_outside;
    std::shared_ptr<PairsiftDatabase> m_db;
    std::shared_ptr<Session> m_session;
    std::unique_ptr<LogCapture> m_log;
    std::unique_ptr<CountingViewController> m_controller;
    std::optional<bool> m_completion;
    int m_completionCalls = 0;

private:
    SystemPathTable m_previousSystemPaths;
    QEventLoop* m_loop = nullptr;
};

// A file of exactly `size` bytes of recognisable content.
QByteArray content(qsizetype size, quint32 seed = 1);

} // namespace pairsift::test
