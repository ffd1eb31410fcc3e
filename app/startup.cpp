#include "app/startup.h"

#include "files/optionalfile.h"
#include "files/regularfile.h"
#include "app/translationcheck.h"

#include <QApplication>
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
    // A "tolvaren.qm" in the working directory is the operator's choice and applies whatever the
    // locale, when it is sound. The installed translations apply only in the language of the
    // user's locale, so that an installed program speaks the user's language rather than
    // whichever one was shipped.
    const RegularFileContents chosen =
        readRegularFile(QStringLiteral("tolvaren.qm"), maxOptionalFileBytes);
    bool loaded = false;
    if (chosen.isRead() && isSoundTranslation(chosen.bytes)) {
        // The translator reads the data in place for as long as it lives, so it keeps a share.
        translator.setProperty("translationData", chosen.bytes);
        loaded = translator.load(reinterpret_cast<const uchar *>(chosen.bytes.constData()),
                                 int(chosen.bytes.size()));
    }
    if (!loaded)
        loaded = translator.load(QLocale(), QStringLiteral("tolvaren"), QStringLiteral("_"),
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
