#include "shell/gui/toolkit_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QString>
#include <QTranslator>

#include <memory>

namespace kt4::shell::gui {

bool UseToolkitLanguage(const std::string& Code)
{
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    if (Code.empty() || Code == "en")
        return Code == "en";
    auto translator = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load("qtbase_" + QString::fromStdString(Code), folder))
        return false; // the toolkit stays English
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

} // namespace kt4::shell::gui
