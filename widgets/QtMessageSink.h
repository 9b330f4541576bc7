#pragma once

#include "platform/Messages.h"

// Shows messages in QMessageBox, with the given title, icon and buttons.
class QtMessageSink : public MessageSink
{
public:
    MsgAnswer show(const Message &message) override;
};
