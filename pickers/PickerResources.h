#pragma once

// Makes the images of the picker windows available; the GUI library is static, so its resources
// are registered on first use rather than by a static initializer.
void initPickerResources();
