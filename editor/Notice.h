#pragma once

#include <functional>
#include <utility>

// An event a unit of the request window reports up to the window: the window sets the one
// handler when it puts its units together, and the unit raises the event where it happens. The
// handler runs at once, as part of the unit's step; a failure in it ends the step and passes on
// to the step's caller, as it would had the unit done the work itself (a Qt signal must not let
// a failure through). Units report up this way and call down directly; they never call the window
// or a unit beside them.
template <typename... Args>
class Notice
{
public:
    void connect(std::function<void(Args...)> handler) { m_handler = std::move(handler); }

    void operator()(Args... args) const
    {
        if (m_handler)
            m_handler(args...);
    }

private:
    std::function<void(Args...)> m_handler;
};
