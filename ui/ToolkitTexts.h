#pragma once

#include <cstdint>

// The toolkit's own texts (file dialogs, standard buttons, context menus of
// edits) in the catalogue language, from the system's Qt translations. A
// language without a translation file keeps the toolkit's English.
void useToolkitTexts(std::uint8_t language);
