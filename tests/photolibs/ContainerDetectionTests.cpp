#include "photolibs/ContainerDetection.h"
#include "platform/PackageTypes.h"
#include "testkit/TemporaryTree.h"

#include <QFile>

#include <plist/plist.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <utility>
#include <vector>

namespace pairsift {
namespace {

enum class PlistFormat { Xml, Binary };

// The Info.plist of a package, written in either format with the library itself.
QByteArray propertyList(const std::vector<std::pair<const char*, const char*>>& strings, PlistFormat format)
{
    plist_t root = plist_new_dict();
    for (const auto& [key, value] : strings)
        plist_dict_set_item(root, key, plist_new_string(value));
    char* bytes = nullptr;
    uint32_t length = 0;
    QByteArray encoded;
    if (format == PlistFormat::Xml) {
        plist_to_xml(root, &bytes, &length);
        encoded = QByteArray(bytes, length);
        plist_to_xml_free(bytes);
    } else {
        plist_to_bin(root, &bytes, &length);
        encoded = QByteArray(bytes, length);
        plist_to_bin_free(bytes);
    }
    plist_free(root);
    return encoded;
}

QUrl fileUrl(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

constexpr const char* getInfoKey = "CFBundleGetInfoString";
constexpr const char* identifierKey = "CFBundleIdentifier";
constexpr const char* apertureIdentifier = "com.apple.Aperture.library";

struct LibraryCase {
    const char* what;
    const char* folder;
    std::vector<std::pair<const char*, const char*>> info;
    ContainerType expected;
};

TEST(ContainerDetection, libraryKindComesFromInfoPlist)
{
    const LibraryCase cases[] = {
        {"iPhoto by its get-info string", "iPhoto Library.photolibrary",
         {{getInfoKey, "iPhoto 9.4.3"}, {identifierKey, "com.example.other"}}, containerTypeiPhoto},
        {"iPhoto wins over an Aperture identifier", "Mixed.photolibrary",
         {{getInfoKey, "Made by iPhoto"}, {identifierKey, apertureIdentifier}}, containerTypeiPhoto},
        {"Aperture by its identifier", "Aperture Library.aplibrary",
         {{getInfoKey, "Aperture 3.4"}, {identifierKey, apertureIdentifier}}, containerTypeAperture},
        {"lower-case iphoto is not iPhoto", "Lower.aplibrary",
         {{getInfoKey, "iphoto"}, {identifierKey, apertureIdentifier}}, containerTypeAperture},
        {"lower-case iphoto without identifier", "Lower.photolibrary", {{getInfoKey, "iphoto"}}, ContainerType()},
        {"no get-info string", "Bare.aplibrary", {{identifierKey, apertureIdentifier}}, ContainerType()},
        {"identifier that differs in case", "Case.aplibrary",
         {{getInfoKey, "Aperture"}, {identifierKey, "com.apple.aperture.library"}}, ContainerType()},
        {"an application", "Tool.app", {{getInfoKey, "Tool 1.0"}, {identifierKey, "com.example.tool"}},
         ContainerType()},
    };
    for (const PlistFormat format : {PlistFormat::Xml, PlistFormat::Binary}) {
        test::TemporaryTree tree;
        for (const LibraryCase& item : cases) {
            const QString folder = QString::fromUtf8(item.folder);
            tree.writeFile(folder + QStringLiteral("/Info.plist"), propertyList(item.info, format));
            const ContainerType type = containerType(fileUrl(tree.path(folder)));
            EXPECT_EQ(type, item.expected) << item.what << (format == PlistFormat::Xml ? " (XML)" : " (binary)");
            EXPECT_EQ(type.isNull(), item.expected.isNull()) << item.what;
            EXPECT_EQ(pairsiftingSupported(fileUrl(tree.path(folder))), !item.expected.isNull()) << item.what;
        }
    }
}

TEST(ContainerDetection, unreadableInfoPlistGivesNothing)
{
    test::TemporaryTree tree;
    tree.makeFolder(QStringLiteral("Missing.photolibrary"));
    tree.writeFile(QStringLiteral("Garbage.photolibrary/Info.plist"), "<plist><dict><key>CFBundle");
    tree.writeFile(QStringLiteral("Empty.photolibrary/Info.plist"), QByteArray());
    tree.writeFile(QStringLiteral("Binary.photolibrary/Info.plist"), QByteArray("bplist00\xff\xff\xff", 11));
    tree.makeFolder(QStringLiteral("Folder.photolibrary/Info.plist"));

    plist_t array = plist_new_array();
    plist_array_append_item(array, plist_new_string("iPhoto"));
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(array, &xml, &length);
    tree.writeFile(QStringLiteral("Array.photolibrary/Info.plist"), QByteArray(xml, length));
    plist_to_xml_free(xml);
    plist_free(array);

    plist_t wrongType = plist_new_dict();
    plist_dict_set_item(wrongType, getInfoKey, plist_new_uint(7));
    plist_dict_set_item(wrongType, identifierKey, plist_new_string(apertureIdentifier));
    plist_to_xml(wrongType, &xml, &length);
    tree.writeFile(QStringLiteral("Number.aplibrary/Info.plist"), QByteArray(xml, length));
    plist_to_xml_free(xml);
    plist_free(wrongType);

    const QString pipeLibrary = tree.makeFolder(QStringLiteral("Pipe.photolibrary"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipeLibrary + QStringLiteral("/Info.plist")).constData(), 0600), 0);

    for (const char* folder : {"Missing.photolibrary", "Garbage.photolibrary", "Empty.photolibrary",
                               "Binary.photolibrary", "Folder.photolibrary", "Array.photolibrary",
                               "Number.aplibrary", "Pipe.photolibrary"}) {
        testing::internal::CaptureStderr();
        EXPECT_TRUE(containerType(fileUrl(tree.path(QString::fromUtf8(folder)))).isNull()) << folder;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << folder << ": no message for a library's contents";
    }
}

TEST(ContainerDetection, plainFoldersFilesAndLinks)
{
    test::TemporaryTree tree;
    const QString folder = tree.makeFolder(QStringLiteral("Pictures"));
    const QString dottedFolder = tree.makeFolder(QStringLiteral("Holiday.2023"));
    const QString file = tree.writeFile(QStringLiteral("photo.jpg"), "jpeg");
    const QString folderLink = tree.makeSymlink(QStringLiteral("Link"), folder);
    const QString fileLink = tree.makeSymlink(QStringLiteral("FileLink"), file);

    EXPECT_EQ(containerType(fileUrl(folder)), containerTypeDirectory);
    EXPECT_EQ(containerType(fileUrl(dottedFolder)), containerTypeDirectory);
    EXPECT_EQ(containerType(fileUrl(folderLink)), containerTypeDirectory);
    EXPECT_TRUE(containerType(fileUrl(file)).isNull());
    EXPECT_TRUE(containerType(fileUrl(fileLink)).isNull());
    EXPECT_TRUE(pairsiftingSupported(fileUrl(folder)));
    EXPECT_FALSE(pairsiftingSupported(fileUrl(file)));
}

TEST(ContainerDetection, pathThatCannotBeInspectedIsReported)
{
    test::TemporaryTree tree;
    const QString missing = tree.path(QStringLiteral("gone"));
    const QString dangling = tree.makeSymlink(QStringLiteral("dangling"), tree.path(QStringLiteral("nowhere")));

    for (const QString& path : {missing, dangling}) {
        testing::internal::CaptureStderr();
        EXPECT_TRUE(containerType(fileUrl(path)).isNull());
        const QString log = QString::fromStdString(testing::internal::GetCapturedStderr());
        EXPECT_TRUE(log.contains(QStringLiteral("Error inspecting '") + path + QStringLiteral("': ")))
            << log.toStdString();
    }

    testing::internal::CaptureStderr();
    EXPECT_FALSE(pairsiftingSupported(QUrl(QStringLiteral("https://example.com/library"))));
    EXPECT_TRUE(QString::fromStdString(testing::internal::GetCapturedStderr()).contains(QStringLiteral("Error inspecting")));
}

TEST(ContainerDetection, packagesAreTheSharedList)
{
    test::TemporaryTree tree;
    const QString library = tree.path(QStringLiteral("iPhoto Library.photolibrary"));
    tree.writeFile(QStringLiteral("iPhoto Library.photolibrary/Info.plist"),
                   propertyList({{getInfoKey, "iPhoto 9"}}, PlistFormat::Xml));
    const QString album = tree.makeFolder(QStringLiteral("Trip.album"));

    // Outside the list the library is a plain folder; inside it any folder is a package.
    const QStringList previous = PackageTypes::setExtensions({QStringLiteral("album")});
    EXPECT_EQ(containerType(fileUrl(library)), containerTypeDirectory);
    EXPECT_TRUE(containerType(fileUrl(album)).isNull());
    PackageTypes::setExtensions(previous);

    EXPECT_EQ(containerType(fileUrl(library)), containerTypeiPhoto);
    EXPECT_EQ(containerType(fileUrl(album)), containerTypeDirectory);
}

TEST(ContainerDetection, eachCallInspectsAgain)
{
    test::TemporaryTree tree;
    const QString library = tree.makeFolder(QStringLiteral("Aperture Library.aplibrary"));
    EXPECT_TRUE(containerType(fileUrl(library)).isNull());
    tree.writeFile(QStringLiteral("Aperture Library.aplibrary/Info.plist"),
                   propertyList({{getInfoKey, "Aperture"}, {identifierKey, apertureIdentifier}}, PlistFormat::Binary));
    EXPECT_EQ(containerType(fileUrl(library)), containerTypeAperture);
}

} // namespace
} // namespace pairsift
