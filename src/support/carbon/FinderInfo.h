#pragma once

#include <QString>
#include <QUrl>

namespace pairsift {

// The Finder information of an item: the 32-byte big-endian record in the "user.com.apple.FinderInfo"
// attribute. A file's record starts with its type and creator; a folder's starts with its window
// bounds, which nothing here reads or writes. Both keep the flags at byte 8 and the icon location
// (vertical, horizontal) at byte 10. An existing item without the attribute reads as all zeros.

enum FinderInfoFlag : quint16 {
    // Cleared on every write of the flags, so that the Finder reads them again.
    hasBeenInitedFlagBit = 0x0100,
    hasCustomIconFlagBit = 0x0400,
    isStationeryFlagBit = 0x0800,
    hasNameLockedFlagBit = 0x1000,
    hasBundleFlagBit = 0x2000,
    isInvisibleFlagBit = 0x4000,
    isAliasFlagBit = 0x8000,
};

struct FinderPoint {
    qint16 v = 0;
    qint16 h = 0;
    bool operator==(const FinderPoint&) const = default;
};

// Stores the requested fields (each pointer may be null); a folder has type and creator 0. False, and
// nothing stored, when the item does not exist or its record cannot be read.
bool finderInfoFlags(const QString& path, quint16* flags, quint32* type, quint32* creator);
// The icon location; (0, 0) when it cannot be read.
FinderPoint finderLocation(const QString& path);
// New flags = (old AND NOT mask) OR (flags AND mask), with the has-been-inited bit cleared; type and
// creator replaced (a folder's window bounds are kept instead). True when the record was written.
bool setFinderInfoFlags(const QString& path, quint16 flags, quint16 mask, quint32 type, quint32 creator);
bool setFinderLocation(const QString& path, FinderPoint location);

// One flag: the query is false when the flags cannot be read; the setter keeps the other flags, the
// type and the creator, and answers whether the write succeeded.
bool finderInfoFlag(const QString& path, FinderInfoFlag flag);
bool setFinderInfoFlag(const QString& path, FinderInfoFlag flag, bool on);

inline bool hasCustomIconFinderInfoFlag(const QString& path) { return finderInfoFlag(path, hasCustomIconFlagBit); }
inline bool isStationeryFinderInfoFlag(const QString& path) { return finderInfoFlag(path, isStationeryFlagBit); }
inline bool hasNameLockedFinderInfoFlag(const QString& path) { return finderInfoFlag(path, hasNameLockedFlagBit); }
inline bool hasBundleFinderInfoFlag(const QString& path) { return finderInfoFlag(path, hasBundleFlagBit); }
inline bool isInvisibleFinderInfoFlag(const QString& path) { return finderInfoFlag(path, isInvisibleFlagBit); }
inline bool isAliasFinderInfoFlag(const QString& path) { return finderInfoFlag(path, isAliasFlagBit); }
inline bool setHasCustomIconFinderInfoFlag(const QString& path, bool on) { return setFinderInfoFlag(path, hasCustomIconFlagBit, on); }
inline bool setIsStationeryFinderInfoFlag(const QString& path, bool on) { return setFinderInfoFlag(path, isStationeryFlagBit, on); }
inline bool setHasNameLockedFinderInfoFlag(const QString& path, bool on) { return setFinderInfoFlag(path, hasNameLockedFlagBit, on); }
inline bool setHasBundleFinderInfoFlag(const QString& path, bool on) { return setFinderInfoFlag(path, hasBundleFlagBit, on); }
inline bool setIsInvisibleFinderInfoFlag(const QString& path, bool on) { return setFinderInfoFlag(path, isInvisibleFlagBit, on); }
inline bool setIsAliasFinderInfoFlag(const QString& path, bool on) { return setFinderInfoFlag(path, isAliasFlagBit, on); }

// The same operations on file URLs; any other URL fails.
bool finderInfoFlags(const QUrl& url, quint16* flags, quint32* type, quint32* creator);
FinderPoint finderLocation(const QUrl& url);
bool setFinderInfoFlags(const QUrl& url, quint16 flags, quint16 mask, quint32 type, quint32 creator);
bool setFinderLocation(const QUrl& url, FinderPoint location);
bool hasCustomIcon(const QUrl& url);

} // namespace pairsift
