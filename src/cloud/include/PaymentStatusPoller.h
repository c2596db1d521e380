#pragma once
// The payment poll behind the QR-code payment dialog: once a second, while a countdown runs,
// it asks the service for the payment state of a bill (NetWorkBusiness::getPayStatus).
//
// Each poll waits in a nested event loop that still delivers timer events, so a poll that takes
// longer than the interval would otherwise start the next poll inside its own wait and a payment
// could be seen, and handled, twice. The timer is therefore stopped for the time of a call and
// re-armed after it: polls never nest, and paid() is emitted once.

#include <QObject>
#include <QString>
#include <QTimer>

class PaymentStatusPoller : public QObject
{
    Q_OBJECT
public:
    // Polls the bill billNo for at most countdownSeconds ticks.
    PaymentStatusPoller(const QString& billNo, int countdownSeconds, QObject* parent = nullptr);

    // Starts ticking; the first poll comes one interval later.
    void start();
    // Stops for good: no further poll, no further signal (also from inside a pending poll).
    void stop();

    bool isPolling() const { return m_timer.isActive() || m_inCall; }
    int remainingSeconds() const { return m_remaining; }
    int pollCount() const { return m_polls; }

    // Test seam: the time between ticks (1000 ms in the program).
    void setIntervalMs(int ms) { m_timer.setInterval(ms); }
    // Test seam: one tick now, as the timer runs it (the countdown, then the poll); nothing
    // while a poll waits or after polling stopped.
    void tickNow()
    {
        if (!m_inCall && !m_stopped)
            onTick();
    }

signals:
    // The countdown after a tick, before the tick's poll.
    void countdownChanged(int remainingSeconds);
    // The bill is paid (state 1). Emitted once; polling has stopped.
    void paid();
    // A poll failed; the service client has reported it. Polling has stopped.
    void failed();
    // The countdown ran out without a payment. Polling has stopped.
    void expired();

private:
    void onTick();

    QString m_billNo;
    int m_remaining;
    int m_polls = 0;
    bool m_inCall = false;
    bool m_stopped = false;
    QTimer m_timer;
};
