#pragma once

#include <QString>

// Keyboard mnemonics for captions that come from the catalogue: each caption
// of one menu (or one menu bar) gets the first letter that no caption before
// it took, so that Alt plus that letter reaches it in every language. A
// caption without a free letter gets none. A '&' of the text itself is kept
// as a literal one.
class Mnemonics {
public:
    QString add(const QString& caption);

private:
    QString used_;
};
