#include "app/startup.h"

#include "app/optionalfile.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyle>
#include <QStyleFactory>
#include <QTranslator>

void applyProgramStyle()
{
    QStyle *style = QStyleFactory::create(QStringLiteral("plastique"));
    if (!style)
        style = QStyleFactory::create(QStringLiteral("Fusion"));
    if (style)
        QApplication::setStyle(style);
}

bool installProgramTranslation(QTranslator &translator)
{
    // A "tolvaren.qm" in the working directory is the operator's choice and always applies. The
    // installed translations apply only in the language of the user's locale, so that an
    // installed program speaks the user's language rather than whichever one was shipped.
    const QString chosen = QStringLiteral("tolvaren.qm");
    const bool loaded = QFileInfo::exists(chosen)
        ? translator.load(chosen)
        : translator.load(QLocale(), QStringLiteral("tolvaren"), QStringLiteral("_"),
                          installedDataFolder());
    return loaded && QCoreApplication::installTranslator(&translator);
}

bool installToolkitTranslation(const QTranslator &programTranslation, QTranslator &translator,
                               const char *module)
{
    const QString language = programTranslation.language();
    if (language.isEmpty())
        return false;
    // "ru_RU" finds qtbase_ru_RU.qm or, failing that, qtbase_ru.qm.
    if (!translator.load(QLatin1String(module) + QLatin1Char('_') + language,
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}
