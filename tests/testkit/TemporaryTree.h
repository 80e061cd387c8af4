#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace pairsift::test {

// A temporary folder that tests fill with files; removed with everything in it when the object goes.
class TemporaryTree {
public:
    TemporaryTree();

    // Absolute path of the root, without a trailing "/".
    QString root() const;
    // Absolute path of a relative path below the root.
    QString path(const QString& relative) const;

    // Writes a file (creating its folders) and returns its absolute path.
    QString writeFile(const QString& relative, const QByteArray& content) const;
    // Creates a folder (and its parents) and returns its absolute path.
    QString makeFolder(const QString& relative) const;
    // Creates a symbolic link at `relative` pointing to `target` (taken as given) and returns its path.
    QString makeSymlink(const QString& relative, const QString& target) const;

private:
    QTemporaryDir m_dir;
};

// `size` bytes of deterministic pseudo-random content for `seed`.
QByteArray patternBytes(qsizetype size, quint32 seed);

} // namespace pairsift::test
