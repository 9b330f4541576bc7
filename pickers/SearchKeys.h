#pragma once

class QLineEdit;

// A key pressed in a picker's grid edits the search text: Backspace drops the last character of
// the trimmed text; a letter key moves to the search box and starts the text anew with that
// letter. Function keys and every other key leave the search alone. Handled keys are set to 0.
void EditSearchFromGridKey(QLineEdit *search, int &keyCode);
