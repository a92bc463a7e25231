#include "ui/TypePictures.h"

#include "Component/MowerTypes.h"

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <map>
#include <string>

namespace {

// One pixmap per picture name for the whole run.
std::map<std::string, QPixmap, std::less<>>& pictureCache()
{
    static std::map<std::string, QPixmap, std::less<>> cache;
    return cache;
}

bool isTypePicture(std::string_view name)
{
    const auto types = mowerTypes();
    return std::any_of(types.begin(), types.end(),
                       [name](const MowerType& type) { return type.picture == name; });
}

QString resourcePath(std::string_view name)
{
    return QStringLiteral(":/pictures/") + QString::fromUtf8(name.data(), qsizetype(name.size()))
           + QStringLiteral(".png");
}

}  // namespace

const QPixmap& typePicture(std::string_view pictureName)
{
    static const QPixmap none;
    // Only the table's names: anything else would reach other resources.
    if (pictureName.empty() || !isTypePicture(pictureName))
        return none;
    auto& cache = pictureCache();
    auto found = cache.find(pictureName);
    if (found == cache.end()) {
        // No pixmap may outlive the application object: empty the cache when it
        // goes. Its routines run once, so register again whenever filling anew.
        if (cache.empty())
            qAddPostRoutine([] { pictureCache().clear(); });
        found = cache.emplace(std::string(pictureName), QPixmap(resourcePath(pictureName))).first;
    }
    return found->second;
}

QIcon upgradeIcon()
{
    return QIcon(resourcePath("upgrade"));
}

QIcon loadHistoryIcon()
{
    return QIcon(resourcePath("loadhistory"));
}
