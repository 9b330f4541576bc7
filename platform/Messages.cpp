#include "platform/Messages.h"

#include <QTextStream>

namespace {

class SilentSink : public MessageSink
{
public:
    MsgAnswer show(const Message &message) override
    {
        QTextStream(stderr) << message.title << ": " << message.text << Qt::endl;
        return message.buttons == MsgButtons::YesNo || message.buttons == MsgButtons::YesNoCancel
                   ? MsgAnswer::Yes
                   : MsgAnswer::OK;
    }
};

SilentSink g_silentSink;
MessageSink *g_sink = &g_silentSink;

MsgAnswer firstAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgAnswer::Yes;
    case MsgButtons::OK:
    case MsgButtons::OKCancel:
        break;
    }
    return MsgAnswer::OK;
}

} // namespace

MsgAnswer MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title)
{
    return g_sink->show(Message{text, title.isEmpty() ? AppTitle() : title, icon, buttons});
}

void setMessageSink(MessageSink *sink)
{
    g_sink = sink ? sink : &g_silentSink;
}

MessageSink *messageSink()
{
    return g_sink;
}

MessageRecorder::MessageRecorder() : m_previous(messageSink())
{
    setMessageSink(this);
}

MessageRecorder::~MessageRecorder()
{
    if (messageSink() == this)
        setMessageSink(m_previous);
}

MsgAnswer MessageRecorder::show(const Message &message)
{
    m_messages.append(message);
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return m_hasDefault ? m_default : firstAnswer(message.buttons);
}

QStringList MessageRecorder::texts() const
{
    QStringList result;
    for (const Message &m : m_messages)
        result.append(m.text);
    return result;
}
