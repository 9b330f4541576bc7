#pragma once

#include <QObject>

class frmMain;

// Starts a new request from the one selected in the list: New, with the selected request's
// department and location, then its lines as line entry makes them today. Items the pair of
// locations no longer offers, or that line entry would refuse, are left out and named.
class RequestCopy : public QObject
{
    Q_OBJECT

public:
    explicit RequestCopy(frmMain &form);
    ~RequestCopy() override;

    void copySelectedRequest();

private:
    frmMain &m_form;
};
