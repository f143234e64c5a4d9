#include "app/CzechQtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tervalo::app {

QTranslator* installCzechQtTranslation(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    // "qt_cs" gathers the translations of Qt's modules (qtbase_cs and the others installed).
    if (!translator->load(QStringLiteral("qt_cs"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

}  // namespace tervalo::app
