#pragma once

#include <QByteArray>
#include <QString>

// The instrument speaks code page 866 (DOS Cyrillic).
QString decodeInstrumentText(const QByteArray &bytes);
