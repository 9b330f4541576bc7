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
    // Only the letter keys carry their letter as key code; the codes of function keys (F1 is
    // 112) and others merely coincide with lower-case letters and must not restart the search.
    if (keyCode >= 'A' && keyCode <= 'Z') {
        search->setFocus();
        search->setText(QString(QChar(char16_t(keyCode))));
        search->setCursorPosition(1);
        keyCode = 0;
    }
}
