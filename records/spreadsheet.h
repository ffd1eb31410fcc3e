#pragma once

#include <QString>

class QIODevice;
struct Control;

// Writes a control as a workbook of one sheet (a whole .xlsx file) to the device: the object,
// the inspector, the date as a date, the device and the serial number at the top, then one
// column per group. Readings that are numbers become number cells showing the digits received;
// every other reading stays the text it is. Returns false with the reason in *error.
bool writeSpreadsheet(QIODevice &device, const Control &content, QString *error);
