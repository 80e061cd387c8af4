#pragma once

#include <QIcon>
#include <QMetaType>
#include <QString>

namespace pairsift {

// The text and icon a list hands to an icon-and-text cell as a row's value, when the icon is not simply
// the theme icon of a path. Its description is its text, and a QVariant holding one converts to that
// text, so any text cell shows it. Key paths "text" and "image" read its two properties.
class ImageAndTextCellData {
    Q_GADGET
    Q_PROPERTY(QString text READ getText)
    Q_PROPERTY(QIcon image READ getImage)

public:
    QString text;
    QIcon image;

    const QString& description() const { return text; }
    QString getText() const { return text; }
    QIcon getImage() const { return image; }
    friend bool operator==(const ImageAndTextCellData& left, const ImageAndTextCellData& right)
    {
        return left.text == right.text && left.image.cacheKey() == right.image.cacheKey();
    }

    // Lets QVariant::toString() answer the text; idempotent.
    static void registerConversion();
};

} // namespace pairsift

Q_DECLARE_METATYPE(pairsift::ImageAndTextCellData)
