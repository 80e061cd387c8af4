// Photo libraries: only the images below "Masters" count, each under the library.
#include "CountingTestSupport.h"

#include "photolibs/ContainerType.h"

namespace pairsift::test {
namespace {

struct LibraryKind {
    const char* name;
    const char* package;
    const char* getInfo;
    const char* identifier;
    ContainerType type;
};

void PrintTo(const LibraryKind& kind, std::ostream* out)
{
    *out << kind.name;
}

const LibraryKind libraryKinds[] = {
    {"iPhoto", "Lib.photolibrary", "iPhoto 9.4.3", "com.example.photos", containerTypeiPhoto},
    {"Aperture", "Lib.aplibrary", "Aperture 3.4", "com.apple.Aperture.library", containerTypeAperture},
};

struct StoredContainer {
    std::string path;
    QString type;
    QString containerPath;
    bool operator==(const StoredContainer&) const = default;
};

class CountingPhotoLibrary : public CountingTest, public testing::WithParamInterface<LibraryKind> {
protected:
    // A library below `folder` with images and other files inside and outside "Masters"; answers its
    // path relative to the tree.
    QString makeLibrary(const QString& folder = QString(), bool withMasters = true) const
    {
        const LibraryKind& kind = GetParam();
        const QString library
            = (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + QLatin1String(kind.package);
        m_tree.writeFile(library + QStringLiteral("/Info.plist"),
            QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                       "<key>CFBundleGetInfoString</key><string>")
                + kind.getInfo + "</string><key>CFBundleIdentifier</key><string>" + kind.identifier
                + "</string></dict></plist>\n");
        m_tree.writeFile(library + QStringLiteral("/Data/other.jpg"), content(200, 1));
        if (withMasters) {
            m_tree.writeFile(library + QStringLiteral("/Masters/2009/img.jpg"), content(200, 2));
            m_tree.writeFile(library + QStringLiteral("/Masters/2009/notes.txt"), content(200, 3));
            m_tree.writeFile(library + QStringLiteral("/Masters/top.png"), content(200, 4));
        }
        return library;
    }

    std::vector<StoredContainer> storedContainers() const
    {
        std::vector<StoredContainer> rows;
        m_db->enumerateFiles([&](const QString& path, std::uint64_t, const QDateTime&, const QByteArray&,
                                 const QString& type, const QString& containerPath, bool*) {
            rows.push_back({relative(path), type, containerPath});
        });
        std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
        return rows;
    }
};

TEST_P(CountingPhotoLibrary, countsOnlyImagesBelowMasters)
{
    const QString library = makeLibrary();
    const QString libraryPath = m_tree.path(library);
    const std::string base = library.toStdString();

    ASSERT_EQ(scanPaths({library}), std::optional<bool>(true));

    EXPECT_EQ(sessionFiles(), (std::vector<std::string>{base + "/Masters/2009/img.jpg", base + "/Masters/top.png"}));
    for (const FileItemPtr& file : m_session->allFiles()) {
        EXPECT_EQ(file->containerType(), GetParam().type);
        EXPECT_EQ(file->containerPath(), libraryPath);
    }
    EXPECT_EQ(storedContainers(),
        (std::vector<StoredContainer>{{base + "/Masters/2009/img.jpg", GetParam().type, libraryPath},
            {base + "/Masters/top.png", GetParam().type, libraryPath}}));
    const QString type = GetParam().type;
    EXPECT_TRUE(m_log->has(QStringLiteral("Debug: '%1': container type: '%2'").arg(libraryPath, type)));
    EXPECT_TRUE(m_log->has(QStringLiteral("Debug: Container: %1, scanning '%2/Masters'").arg(type, libraryPath)));
    EXPECT_FALSE(m_log->text().contains(QStringLiteral("Data/other.jpg")));
}

TEST_P(CountingPhotoLibrary, libraryInsidePlainLocationIsNotEntered)
{
    const QString library = makeLibrary(QStringLiteral("photos"));
    m_tree.writeFile(QStringLiteral("photos/loose.jpg"), content(200, 5));

    ASSERT_EQ(scanPaths({QStringLiteral("photos")}), std::optional<bool>(true));

    EXPECT_EQ(sessionFiles(), std::vector<std::string>{"photos/loose.jpg"});
    EXPECT_TRUE(m_log->has(QStringLiteral("Debug: '%1' is a bundle, ignoring").arg(m_tree.path(library))));
}

TEST_P(CountingPhotoLibrary, locationInsideListedLibraryIsNotWalkedAsPlainFolder)
{
    const QString library = makeLibrary();
    const QString inside = library + QStringLiteral("/Masters/2009");
    const std::string base = library.toStdString();

    // Listed first, so walking it as a plain folder would claim its files before the library does.
    ASSERT_EQ(scanPaths({inside, library}), std::optional<bool>(true));

    EXPECT_EQ(sessionFiles(), (std::vector<std::string>{base + "/Masters/2009/img.jpg", base + "/Masters/top.png"}));
    for (const FileItemPtr& file : m_session->allFiles())
        EXPECT_EQ(file->containerType(), GetParam().type) << file->name().toStdString();
    EXPECT_TRUE(m_log->has(
        QStringLiteral("Debug: '%1': inside a listed photo library, skipped").arg(m_tree.path(inside))));
}

TEST_P(CountingPhotoLibrary, libraryWithoutMastersCountsNothing)
{
    const QString library = makeLibrary(QString(), false);

    ASSERT_EQ(scanPaths({library}), std::optional<bool>(true));

    EXPECT_TRUE(sessionFiles().empty());
    EXPECT_FALSE(m_log->text().contains(QStringLiteral("Unable to read folder")));
}

INSTANTIATE_TEST_SUITE_P(Counting, CountingPhotoLibrary, testing::ValuesIn(libraryKinds),
    [](const testing::TestParamInfo<LibraryKind>& info) { return std::string(info.param.name); });

} // namespace
} // namespace pairsift::test
