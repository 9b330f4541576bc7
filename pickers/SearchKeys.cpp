#include "pickers/SearchKeys.h"

#include <QLineEdit>

void EditSearchFromGridKey(QLineEdit *search, int &keyCode)
{
    constexpr int KeyBackspace = 8;
    if (keyCode == KeyBackspace) {
        const int length = int(search->text().trimmed().size());
        if (length > 0)
            search->setText(search->text().left(length - 1));
        keyCode = 0;
        return;
    }
    if (keyCode <= 0 || keyCode > 255)
        return;
    const QChar letter = QChar(char16_t(keyCode)).toUpper();
    if (letter >= u'A' && letter <= u'Z') {
        keyCode = 0;
        search->setFocus();
        search->setText(QString(letter));
        search->setCursorPosition(1);
    }
}
