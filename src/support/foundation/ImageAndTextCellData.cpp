#include "support/foundation/ImageAndTextCellData.h"

namespace pairsift {

void ImageAndTextCellData::registerConversion()
{
    static const bool isRegistered = QMetaType::registerConverter<ImageAndTextCellData, QString>(
        [](const ImageAndTextCellData& data) { return data.text; });
    Q_UNUSED(isRegistered);
}

} // namespace pairsift
