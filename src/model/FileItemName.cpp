#include "model/FileItemName.h"

#include <QStringDecoder>

#include <cstring>
#include <utility>

namespace pairsift {

static_assert(sizeof(FileItemName) == 16);

QString FileItemName::textKeepingByteOrderMark(QByteArrayView utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(utf8);
}

FileItemName::FileItemName(QByteArrayView utf8)
{
    const auto count = static_cast<std::size_t>(utf8.size());
    if (count < LengthByte) {
        std::memcpy(m_bytes, utf8.data(), count);
        m_bytes[LengthByte] = static_cast<char>(count);
        return;
    }
    char* outside = new char[count];
    std::memcpy(outside, utf8.data(), count);
    const auto stored = static_cast<quint32>(count);
    std::memcpy(m_bytes, &outside, sizeof outside);
    std::memcpy(m_bytes + sizeof outside, &stored, sizeof stored);
    m_bytes[LengthByte] = static_cast<char>(OutsideMark);
}

FileItemName::FileItemName(FileItemName&& other) noexcept
{
    std::memcpy(m_bytes, other.m_bytes, Size);
    other.m_bytes[LengthByte] = 0;
}

FileItemName& FileItemName::operator=(FileItemName&& other) noexcept
{
    if (this != &other) {
        this->~FileItemName();
        new (this) FileItemName(std::move(other));
    }
    return *this;
}

FileItemName::~FileItemName()
{
    if (isOutside())
        delete[] outsideBytes();
}

const char* FileItemName::outsideBytes() const
{
    const char* outside = nullptr;
    std::memcpy(&outside, m_bytes, sizeof outside);
    return outside;
}

quint32 FileItemName::outsideCount() const
{
    quint32 count = 0;
    std::memcpy(&count, m_bytes + sizeof(const char*), sizeof count);
    return count;
}

QByteArrayView FileItemName::bytes() const
{
    if (isOutside())
        return {outsideBytes(), static_cast<qsizetype>(outsideCount())};
    return {m_bytes, static_cast<qsizetype>(static_cast<unsigned char>(m_bytes[LengthByte]))};
}

} // namespace pairsift
