#include "translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tickora {

bool installChineseQtTranslation(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    const bool loaded = translator->load(QStringLiteral("qtbase_zh_CN"),
                                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!loaded) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace tickora
