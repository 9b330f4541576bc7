#pragma once

class QLineEdit;

// A key pressed in a picker's grid edits the search text: Backspace drops the last character of
// the trimmed text; a letter moves to the search box and starts the text anew with that letter.
// Handled keys are set to 0.
void EditSearchFromGridKey(QLineEdit *search, int &keyCode);
