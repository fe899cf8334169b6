#include "image/krvmodel.h"

QString deviceKindName(KrvModel model)
{
    switch (model) {
    case KrvModel::KRV470: return QStringLiteral("KRV470");
    case KrvModel::KRV465: return QStringLiteral("KRV465");
    case KrvModel::None: break;
    }
    return QStringLiteral("unbekannt");
}
