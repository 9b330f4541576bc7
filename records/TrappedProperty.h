#pragma once

#include "shell/Helpers.h"

// Defines the read and write procedures of a record's property that trap every failure and re-raise
// it as error 9999 with the source "Class:Name Property Get" or "Class:Name Property Let".
#define TRAPPED_PROPERTY(Class, Type, ParameterType, Name, member)                                          \
    Type Class::Name() const                                                                                 \
    {                                                                                                        \
        return Reraise(QStringLiteral(#Class ":" #Name " Property Get"), [&] { return member; });            \
    }                                                                                                        \
    void Class::set##Name(ParameterType value)                                                               \
    {                                                                                                        \
        Reraise(QStringLiteral(#Class ":" #Name " Property Let"), [&] { member = value; });                  \
    }
