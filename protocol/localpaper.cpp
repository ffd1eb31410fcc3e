#include "protocol/localpaper.h"

#include <QLocale>
#include <QSizeF>

#include <cstdint>
#if defined(__GLIBC__)
#include <langinfo.h>
#endif

QPageSize localePaper()
{
#if defined(__GLIBC__)
    // The paper of LC_PAPER, in millimetres, as the C library knows it for the user's locale.
    const auto width = int(reinterpret_cast<intptr_t>(nl_langinfo(_NL_PAPER_WIDTH)));
    const auto height = int(reinterpret_cast<intptr_t>(nl_langinfo(_NL_PAPER_HEIGHT)));
    if (width > 0 && height > 0) {
        const QSizeF size(width, height);
        const QPageSize::PageSizeId known =
            QPageSize::id(size, QPageSize::Millimeter, QPageSize::FuzzyMatch);
        return known == QPageSize::Custom ? QPageSize(size, QPageSize::Millimeter)
                                          : QPageSize(known);
    }
#endif
    return QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                : QPageSize::A4);
}
