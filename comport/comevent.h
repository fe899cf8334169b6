#pragma once
#include <functional>
#include <utility>

// One event handler slot of the port. Assigning a handler may have to tell
// the port (the line events decide the event mask), so the slot is not a
// bare std::function; get() hands out the handler for chaining.
template <typename Sig>
class TEventSlot {
public:
    using Handler = std::function<Sig>;

    TEventSlot() = default;
    TEventSlot(const TEventSlot &) = delete;
    TEventSlot &operator=(const TEventSlot &) = delete;

    TEventSlot &operator=(Handler handler)
    {
        m_handler = std::move(handler);
        if (m_changed)
            m_changed();
        return *this;
    }

    // Called after every assignment.
    void notifyTo(std::function<void()> changed) { m_changed = std::move(changed); }

    explicit operator bool() const { return bool(m_handler); }
    const Handler &get() const { return m_handler; }

    template <typename... Args>
    void operator()(Args &&...args) const
    {
        if (m_handler)
            m_handler(std::forward<Args>(args)...);
    }

private:
    Handler m_handler;
    std::function<void()> m_changed;
};
