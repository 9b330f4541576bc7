#pragma once

#include "platform/Shell.h"

// Sends keys to the focused control exactly as if the user had typed them, so that validation
// and key handlers run. Only "{Tab}" is understood.
class KeySender : public ShellObject
{
public:
    void SendKeys(const QString &keys) override;
};
