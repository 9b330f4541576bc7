#pragma once

#include "pickers/PickerWindows.h"
#include "platform/Messages.h"
#include "widgets/KeySender.h"
#include "widgets/QtMessageSink.h"
#include "shell/Session.h"
#include "tests/desktop/Desktop.h"
#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

#include <memory>

// A logged-on clerk on the desktop with the program's key sender, its picker windows and real
// message boxes: everything the user meets is a window of the window system. Skips without one.
class DesktopSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!Desktop::instance().running())
            GTEST_SKIP() << "no X desktop: " << Desktop::instance().whyNotRunning().toStdString();
        m_session = std::make_unique<TestSession>(QString::fromLatin1(Demo::ClerkId));
        gShell = &m_keys;
        registerPickerWindows();
        m_previousSink = messageSink();
        setMessageSink(&m_boxes);
    }

    void TearDown() override
    {
        if (!m_session)
            return;
        setMessageSink(m_previousSink);
        closeWindows();
        gShell = nullptr;
        m_session.reset();
    }

    // The windows a test opened, closed while the session still stands.
    virtual void closeWindows() {}

    std::unique_ptr<TestSession> m_session;

private:
    KeySender m_keys;
    QtMessageSink m_boxes;
    MessageSink *m_previousSink = nullptr;
};
