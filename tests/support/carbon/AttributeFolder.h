#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace pairsift::test {

// The resource types the tests write.
inline constexpr quint32 alis = 0x616C6973;
inline constexpr quint32 icns = 0x69636E73;

// A temporary folder on a file system that keeps user extended attributes: the temporary folder when it
// does (tmpfs does not), else one beside the test program in the build tree.
class AttributeFolder {
public:
    AttributeFolder();

    bool isValid() const { return m_dir && m_dir->isValid(); }
    QString path(const QString& relative) const;
    QString writeFile(const QString& relative, const QByteArray& content = {}) const;
    QString makeFolder(const QString& relative) const;
    // The largest value this file system keeps in the attribute `name` of a new file (at most the
    // kernel's 64 KiB).
    qsizetype largestAttribute(const char* name) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

} // namespace pairsift::test

// Skips the test, saying why, where no file system at hand keeps user extended attributes.
#define ATTRIBUTE_FOLDER_OR_SKIP(name)                                                                   \
    pairsift::test::AttributeFolder name;                                                                \
    if (!name.isValid())                                                                                 \
    GTEST_SKIP() << "No file system here keeps user extended attributes (tried the temporary folder and " \
                    "the build folder)"
