#include "scan/FolderReadAhead.h"

#include <QByteArrayView>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace pairsift {

namespace {

// Enough to keep the walking thread fed without holding a large tree's listings at once.
constexpr int maximumFoldersAhead = 64;
constexpr std::size_t maximumEntriesAhead = 32768;

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};
using FolderHandle = std::unique_ptr<DIR, FolderCloser>;

QByteArray joinPath(const QByteArray& folder, const char* name)
{
    QByteArray path;
    path.reserve(folder.size() + 1 + static_cast<qsizetype>(std::strlen(name)));
    path.append(folder);
    if (!path.endsWith('/'))
        path.append('/');
    path.append(name);
    return path;
}

LocationWalker::EntryKind kindOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return LocationWalker::EntryKind::Directory;
    if (S_ISREG(mode))
        return LocationWalker::EntryKind::RegularFile;
    if (S_ISLNK(mode))
        return LocationWalker::EntryKind::SymbolicLink;
    return LocationWalker::EntryKind::Other;
}

int openFolder(int parent, const char* name, bool followLink)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    int descriptor;
    do {
        descriptor = ::openat(parent, name, flags);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

} // namespace

struct FolderReadAhead::OpenFolder {
    explicit OpenFolder(DIR* folder)
        : handle(folder)
    {
    }
    int descriptor() const { return ::dirfd(handle.get()); }

    FolderHandle handle;
};

struct FolderReadAhead::Task {
    enum class State { Queued, Listing, Listed, Abandoned };

    Request request;
    std::uint64_t order = 0;
    State state = State::Queued;
    Listing listing;
};

FolderReadAhead::FolderReadAhead(qsizetype rootLength, int helperCount)
    : m_rootLength(rootLength)
{
    for (int index = 0; index < helperCount; ++index)
        m_helpers.emplace_back([this] { help(); });
}

FolderReadAhead::~FolderReadAhead()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_isEnding = true;
        m_queued.clear();
    }
    m_wanted.notify_all();
    for (std::thread& helper : m_helpers)
        helper.join();
}

std::vector<FolderReadAhead::TaskPtr> FolderReadAhead::queue(std::vector<Request> requests)
{
    std::vector<TaskPtr> tasks;
    tasks.reserve(requests.size());
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        // The first request gets the highest order: it is taken before its siblings, and all of them
        // before anything queued earlier, as a depth-first walk enters them.
        m_nextOrder += requests.size();
        std::uint64_t order = m_nextOrder;
        for (Request& request : requests) {
            auto task = std::make_shared<Task>();
            task->request = std::move(request);
            task->order = order--;
            if (!m_helpers.empty())
                m_queued.emplace(task->order, task);
            tasks.push_back(std::move(task));
        }
    }
    if (!tasks.empty())
        m_wanted.notify_all();
    return tasks;
}

FolderReadAhead::Listing FolderReadAhead::take(const TaskPtr& task)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    switch (task->state) {
    case Task::State::Queued:
        m_queued.erase(task->order);
        break;
    case Task::State::Listing:
        // Never wait for a helper, which may not even be running on a busy machine: the folder is listed
        // again here and the helper's listing is dropped.
        task->state = Task::State::Abandoned;
        break;
    case Task::State::Listed: {
        --m_foldersAhead;
        m_entriesAhead -= task->listing.items.size();
        Listing listing = std::move(task->listing);
        lock.unlock();
        m_wanted.notify_one();
        return listing;
    }
    case Task::State::Abandoned:
        break;
    }
    Request request = std::move(task->request);
    lock.unlock();
    return list(std::move(request));
}

void FolderReadAhead::help()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wanted.wait(lock, [this] {
            return m_isEnding
                || (!m_queued.empty() && m_foldersAhead < maximumFoldersAhead
                    && m_entriesAhead < maximumEntriesAhead);
        });
        if (m_isEnding)
            return;
        const auto next = std::prev(m_queued.end());
        const TaskPtr task = next->second;
        m_queued.erase(next);
        task->state = Task::State::Listing;
        ++m_foldersAhead;
        // A copy: should the walk abandon the task, it lists the folder from the request itself.
        Request request = task->request;
        lock.unlock();
        Listing listing = list(std::move(request));
        lock.lock();
        if (task->state == Task::State::Abandoned) {
            --m_foldersAhead;
            continue;
        }
        m_entriesAhead += listing.items.size();
        task->listing = std::move(listing);
        task->state = Task::State::Listed;
        task->request = Request{}; // its parent may close
    }
}

FolderReadAhead::Listing FolderReadAhead::list(Request request) const
{
    Listing listing;
    const bool isWalkRoot = !request.parent;
    const int descriptor = isWalkRoot ? openFolder(AT_FDCWD, request.path.constData(), true)
                                      : openFolder(request.parent->descriptor(), request.name.constData(), false);
    request.parent.reset();
    if (descriptor < 0) {
        listing.openError = errno;
        return listing;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        listing.openError = errno;
        ::close(descriptor);
        return listing;
    }
    listing.id = FileId{status.st_dev, status.st_ino};
    listing.pseudoFileSystem = m_pseudoFileSystems.nameOf(descriptor, status.st_dev);
    if (listing.pseudoFileSystem) {
        ::close(descriptor);
        return listing;
    }
    DIR* const handle = ::fdopendir(descriptor);
    if (!handle) {
        listing.openError = errno;
        ::close(descriptor);
        return listing;
    }
    listing.folder = std::make_shared<OpenFolder>(handle);

    while (!m_isEnding.load(std::memory_order_relaxed)) {
        errno = 0;
        const dirent* entry = ::readdir(handle);
        if (!entry) {
            listing.readError = errno;
            return listing;
        }
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (!QByteArrayView(name).isValidUtf8()) {
            listing.items.push_back(Item{});
            continue;
        }
        Item item{{}, QByteArray(name), joinPath(request.path, name)};
        LocationWalker::Entry& visited = item.entry;
        visited.fullPath = QString::fromUtf8(item.path);
        visited.relativePath = visited.fullPath.sliced(m_rootLength);
        visited.kind = LocationWalker::EntryKind::Other;
        switch (entry->d_type) {
        case DT_DIR:
            visited.kind = LocationWalker::EntryKind::Directory;
            break;
        case DT_LNK:
            visited.kind = LocationWalker::EntryKind::SymbolicLink;
            break;
        case DT_REG:
        case DT_UNKNOWN:
            // Read here, relative to the folder, so the attributes are those of the entry that was listed.
            visited.attributes = readFileAttributesAt(listing.folder->descriptor(), name, &visited.attributesError);
            if (visited.attributes)
                visited.kind = kindOfMode(visited.attributes->mode);
            else if (entry->d_type == DT_REG)
                visited.kind = LocationWalker::EntryKind::RegularFile;
            else
                continue; // gone before its type could be known
            if (visited.kind != LocationWalker::EntryKind::RegularFile)
                visited.attributes.reset();
            break;
        default:
            break;
        }
        listing.items.push_back(std::move(item));
    }
    return listing; // abandoned: the walk has ended
}

} // namespace pairsift
