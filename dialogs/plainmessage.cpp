#include "dialogs/plainmessage.h"

#include <QLabel>

void setPlainTexts(QMessageBox &box, const QString &text, const QString &informativeText)
{
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    if (informativeText.isEmpty())
        return;
    box.setInformativeText(informativeText);
    // The informative text's label does not follow the box's format. Made plain here, before the
    // box is shown or laid out, it never renders the text as markup.
    for (QLabel *label : box.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
}

QMessageBox::StandardButton showPlainMessage(QWidget *parent, QMessageBox::Icon icon,
                                             const QString &title, const QString &text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, QString(), buttons, parent);
    box.setDefaultButton(defaultButton);
    setPlainTexts(box, text);
    return QMessageBox::StandardButton(box.exec());
}
