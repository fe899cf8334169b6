#include "comport/comthread.h"
#include "comport/comport.h"

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
    // Blocks until the UI thread has run the handlers. Nothing may be thrown
    // out of the call: ThreadDoEvent catches what the handlers raise.
    QMetaObject::invokeMethod(
        &m_port,
        [this, events] {
            if (m_stop)
                return;
            ++m_port.m_threadCallDepth;
            m_port.ThreadDoEvent(events);
            --m_port.m_threadCallDepth;
        },
        Qt::BlockingQueuedConnection);
}

void TComThread::reportError(int error)
{
    QMetaObject::invokeMethod(
        &m_port,
        [this, error] {
            if (m_stop)
                return;
            ++m_port.m_threadCallDepth;
            m_port.RaiseThreadError(error);
            --m_port.m_threadCallDepth;
        },
        Qt::BlockingQueuedConnection);
}
