#include "comport/comthread.h"
#include "comport/comport.h"

#include <QScopedValueRollback>
#include <exception>

void TComThread::setMask(quint32 mask)
{
    m_mask = mask;
    wake();
}

void TComThread::noteWrite()
{
    if (m_mask & evTxEmpty) {
        m_written = true;
        wake();
    }
}

void TComThread::requestStop()
{
    m_stop = true;
    wake();
}

void TComThread::run()
{
    while (!m_stop) {
        quint32 events = 0;
        int error = 0;
        if (!waitForEvents(events, error)) {
            if (!m_stop)
                reportError(error);
            return;
        }
        if (events && !m_stop)
            dispatch(events);
    }
}

void TComThread::dispatch(quint32 events)
{
    if (!m_synchronize) {
        m_port.ThreadDoEvent(events);
        return;
    }
    runOnUiThread([this, events] {
        if (!m_stop)
            m_port.ThreadDoEvent(events);
    });
}

void TComThread::reportError(int error)
{
    runOnUiThread([this, error] {
        if (!m_stop)
            m_port.RaiseThreadError(error);
    });
}

void TComThread::runOnUiThread(const std::function<void()> &call)
{
    // An exception must not leave through the UI thread's event loop.
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        &m_port,
        [this, &call, &failure] {
            const QScopedValueRollback serving(m_port.m_threadCallDepth, m_port.m_threadCallDepth + 1);
            try {
                call();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}
