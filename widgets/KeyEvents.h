#pragma once

#include <functional>

class QKeyEvent;
class QWidget;

// Key events as the windows handle them: KeyPress sees the character code (13 for Enter, 27 for
// Escape, 39 for the apostrophe) and may change it: 0 swallows the key, another code types that
// character instead. KeyDown sees the key code (Qt key mapped to the Windows virtual-key code for
// letters, digits, Backspace 8, Enter 13, Escape 27) and may set it to 0 to swallow the key.
namespace KeyEvents {

using KeyPressHandler = std::function<void(int &keyAscii)>;
using KeyDownHandler = std::function<void(int &keyCode, int shift)>;
using PreviewHandler = std::function<void(QWidget *target, int &keyAscii)>;

void onKeyPress(QWidget *control, KeyPressHandler handler);
void onKeyDown(QWidget *control, KeyDownHandler handler);
// Whether the control (or the control it is part of) has a KeyPress handler of its own.
bool handlesKeyPress(QWidget *control);

// The window sees every key typed in its controls before they do, while preview is on. A key is
// handled once: a key the preview swallows or replaces never reaches the control's own handler.
// Enter that no handler took clicks a focused push button, in every window (Space does anyway).
void setPreviewHandler(QWidget *window, PreviewHandler handler);
void setKeyPreview(QWidget *window, bool on);
bool keyPreview(QWidget *window);

// The codes a key event carries: the character code (0 when the key types no character), the key
// code (0 when the key has none) and the shift state (1 Shift, 2 Ctrl, 4 Alt).
int keyAsciiOf(const QKeyEvent *event);
int keyCodeOf(const QKeyEvent *event);
int shiftOf(const QKeyEvent *event);

} // namespace KeyEvents
