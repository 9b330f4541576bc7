#pragma once

#include <QString>

// Stand-in for the shell automation object: it only sends keys to the focused control.
class ShellObject
{
public:
    virtual ~ShellObject() = default;
    // Only "{Tab}" is used by the client.
    virtual void SendKeys(const QString &keys) = 0;
};
