#include "pickers/PickerResources.h"

#include <QtGlobal>

void initPickerResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(registered);
}
