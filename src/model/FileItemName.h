#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstddef>

namespace pairsift {

// A file's own name as UTF-8 bytes, in 16 bytes: up to 15 bytes are kept inside, longer names in one
// allocation of their own.
class FileItemName {
public:
    FileItemName() { m_bytes[LengthByte] = 0; }
    explicit FileItemName(QByteArrayView utf8);
    FileItemName(const FileItemName&) = delete;
    FileItemName& operator=(const FileItemName&) = delete;
    FileItemName(FileItemName&& other) noexcept;
    FileItemName& operator=(FileItemName&& other) noexcept;
    ~FileItemName();

    QByteArrayView bytes() const;
    QString toString() const { return textOf(bytes()); }
    // Name or folder bytes as text. A leading byte-order mark stays, as the character of the name it is:
    // the plain UTF-8 decode drops it, and would name another file.
    static QString textOf(QByteArrayView utf8)
    {
        return utf8.startsWith("\xEF\xBB\xBF") ? textKeepingByteOrderMark(utf8) : QString::fromUtf8(utf8);
    }

private:
    static QString textKeepingByteOrderMark(QByteArrayView utf8);

    static constexpr std::size_t Size = 16;
    static constexpr std::size_t LengthByte = Size - 1;
    // In the length byte: the bytes are elsewhere, their address and count at the start.
    static constexpr unsigned char OutsideMark = 0xFF;

    bool isOutside() const { return static_cast<unsigned char>(m_bytes[LengthByte]) == OutsideMark; }
    const char* outsideBytes() const;
    quint32 outsideCount() const;

    alignas(8) char m_bytes[Size];
};

} // namespace pairsift
