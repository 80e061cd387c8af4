#pragma once

#include <QString>

namespace pairsift {

// The scripts the photo-application drivers run. Pure functions: the same arguments give the same text.
// Lines are joined by single line feeds, with none after the last. Every value is placed between double
// quotes as one string literal whatever it holds: backslashes and double quotes in it are escaped.

// `text` as the inside of a double-quoted script string: "\" becomes "\\" and '"' becomes '\"'.
QString scriptStringContents(const QString& text);

// Removes, in the photo library album, every photo whose image path or original path is `path`.
QString iPhotoDeletePhotoScript(const QString& path);

// Adds the keyword "Duplicate" to the image version with identifier `uuid`.
QString apertureMarkDuplicateByUUIDScript(const QString& uuid);

// Adds the keyword "Duplicate" to every image version whose "FileName" and "ImportGroup" tags match.
QString apertureMarkDuplicateInImportGroupScript(const QString& fileName, const QString& importGroup);

} // namespace pairsift
