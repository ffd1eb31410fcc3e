#include "app/startup.h"

#include "app/optionalfile.h"

#include <QApplication>
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
