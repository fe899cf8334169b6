#pragma once
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

class TCustomComPort;
class ComEventWait;
struct ComFailure;

// The port's event thread: waits for line events on the device and hands
// each one to the port's handlers, on the UI thread when the port
// synchronises events. Frees itself when it ends; after requestStop() it no
// longer touches the port.
class TComThread : public QThread {
    Q_OBJECT
public:
    TComThread(TCustomComPort &port, quint32 mask);
    ~TComThread() override;

    // False when the thread's wait could not be prepared.
    bool isValid() const;
    // A new mask completes the running wait; the next wait uses it.
    void setMask(quint32 mask);
    // The port wrote bytes: a transmit-empty event is due once they left.
    void noteWrite();
    void requestStop();
    // Runs call on the UI thread and blocks until it has run; what it
    // raises is raised again here.
    void runOnUiThread(const std::function<void()> &call);

protected:
    void run() override;

private:
    void dispatch(quint32 events);
    void reportError(const ComFailure &failure);

    TCustomComPort &m_port;
    const bool m_synchronize;
    std::atomic<quint32> m_mask;
    std::atomic<bool> m_stop{false};
    std::unique_ptr<ComEventWait> m_wait;  // the platform's side
};
