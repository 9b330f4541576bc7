#pragma once

#include <QObject>

#include <functional>

namespace Ui {
class frmMain;
}
class DetailGrid;

// Starts a new request from the one selected in the list: New, with the selected request's
// department and location, then its lines as line entry makes them today. Items the pair of
// locations no longer offers, or that line entry would refuse, are left out and named.
class RequestCopy : public QObject
{
    Q_OBJECT

public:
    // The list and the details tab on the window's form; the lines join the request as line entry
    // adds them.
    RequestCopy(Ui::frmMain &ui, DetailGrid &lines);
    ~RequestCopy() override;

    // startNewRequest is the window's New: it clears the details tab for a new request and keeps
    // the selected request's two locations.
    void copySelectedRequest(const std::function<void()> &startNewRequest);

private:
    Ui::frmMain &m_ui;
    DetailGrid &m_lines;
};
