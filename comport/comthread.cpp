#include "comport/comthread.h"
#include "comport/comport.h"
#include "comport/comport_platform.h"

#include <QScopedValueRollback>
#include <exception>

TComThread::TComThread(TCustomComPort &port, quint32 mask)
    : m_port(port), m_synchronize(port.SynchronizeEvents()), m_mask(mask), m_wait(port.m_device->eventWait())
{
}

TComThread::~TComThread() = default;

bool TComThread::isValid() const { return m_wait->isValid(); }

void TComThread::setMask(quint32 mask)
{
    m_mask = mask;
    m_wait->wake();
}

void TComThread::noteWrite()
{
    if (m_mask & evTxEmpty)
        m_wait->noteWrite();
}

void TComThread::requestStop()
{
    m_stop = true;
    m_wait->wake();
}

void TComThread::run()
{
    while (!m_stop) {
        quint32 events = 0;
        ComFailure failure;
        if (!m_wait->wait(m_mask, events, failure)) {
            if (!m_stop)
                reportError(failure);
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

void TComThread::reportError(const ComFailure &failure)
{
    runOnUiThread([this, failure] {
        if (!m_stop)
            m_port.RaiseThreadError(failure.error, QString::fromLatin1(failure.call));
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
