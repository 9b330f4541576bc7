#pragma once

#include <QList>
#include <QString>

// Every message box of the client goes through this seam. The application installs a sink that
// shows QMessageBox; tests install a MessageRecorder that keeps each message and answers from a
// script, so no box ever blocks a test.

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgAnswer { OK, Cancel, Yes, No };

struct Message
{
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
};

class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual MsgAnswer show(const Message &message) = 0;
};

// The application's title, shown on boxes that state no title of their own.
inline const QString &AppTitle()
{
    static const QString title = QStringLiteral("Inventory Request");
    return title;
}

// Shows a message through the installed sink. An empty title shows the application's title.
MsgAnswer MsgBox(const QString &text, MsgButtons buttons = MsgButtons::OK, MsgIcon icon = MsgIcon::None,
                 const QString &title = QString());

// Installs the sink (not owned); nullptr restores the default, which answers OK/Yes silently
// and writes the message to stderr (used only when no user interface exists).
void setMessageSink(MessageSink *sink);
MessageSink *messageSink();

// Test recorder: keeps every message; answers from a queue, then with the default answer
// (OK for OK boxes, the first button otherwise, unless setDefaultAnswer was called).
class MessageRecorder : public MessageSink
{
public:
    MessageRecorder();
    ~MessageRecorder() override;

    MsgAnswer show(const Message &message) override;

    void queueAnswer(MsgAnswer answer) { m_answers.append(answer); }
    void setDefaultAnswer(MsgAnswer answer) { m_default = answer; m_hasDefault = true; }
    const QList<Message> &messages() const { return m_messages; }
    Message last() const { return m_messages.isEmpty() ? Message{} : m_messages.last(); }
    QStringList texts() const;
    int count() const { return int(m_messages.size()); }
    void clear() { m_messages.clear(); m_answers.clear(); }

private:
    QList<Message> m_messages;
    QList<MsgAnswer> m_answers;
    MsgAnswer m_default = MsgAnswer::OK;
    bool m_hasDefault = false;
    MessageSink *m_previous = nullptr;
};
