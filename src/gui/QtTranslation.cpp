#include "gui/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace QtTranslation
{

void use(int language)
{
    static QTranslator *translator = nullptr;
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    const char *name = language == 1 ? "qtbase_zh_CN" : language == 3 ? "qtbase_zh_TW" : nullptr;
    if (!name)
        return;
    auto *loaded = new QTranslator;
    if (!loaded->load(QLatin1String(name), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete loaded;
        return;
    }
    QCoreApplication::installTranslator(loaded);
    translator = loaded;
}

} // namespace QtTranslation
