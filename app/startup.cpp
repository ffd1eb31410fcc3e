#include "app/startup.h"

#include "app/optionalfile.h"

#include <QApplication>
#include <QLibraryInfo>
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
    if (!translator.load(optionalFilePath(QStringLiteral("tolvaren.qm"))))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

bool installToolkitTranslation(const QTranslator &programTranslation, QTranslator &translator)
{
    const QString language = programTranslation.language();
    if (language.isEmpty())
        return false;
    // "ru_RU" finds qtbase_ru_RU.qm or, failing that, qtbase_ru.qm.
    if (!translator.load(QStringLiteral("qtbase_") + language,
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}
