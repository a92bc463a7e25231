#include "ui/ToolkitTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <array>
#include <memory>

void useToolkitTexts(std::uint8_t language)
{
    // In the catalogue's order: English, French, Italian, Dutch, German.
    static constexpr std::array<const char*, 5> codes {"en", "fr", "it", "nl", "de"};
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    if (language == 0 || language >= codes.size() || QCoreApplication::instance() == nullptr)
        return;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + QLatin1String(codes[language]),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
}
