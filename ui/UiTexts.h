#pragma once

#include "core/AppTexts.h"
#include "core/TVXStringTable.h"

#include <QString>

// The catalogue's texts and the added ones as the widgets take them.
inline QString uiText(std::uint16_t catalogueMessage)
{
    return QString::fromStdString(catalogueText(catalogueMessage));
}

inline QString uiText(AppText text)
{
    return QString::fromStdString(appText(text));
}
