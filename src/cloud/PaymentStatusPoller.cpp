#include "PaymentStatusPoller.h"

#include "NetWorkBusiness.h"

#include <QPointer>

PaymentStatusPoller::PaymentStatusPoller(const QString& billNo, int countdownSeconds, QObject* parent)
    : QObject(parent)
    , m_billNo(billNo)
    , m_remaining(qMax(0, countdownSeconds))
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &PaymentStatusPoller::onTick);
}

void PaymentStatusPoller::start()
{
    if (m_stopped || m_inCall)
        return;
    m_timer.start();
}

void PaymentStatusPoller::stop()
{
    m_stopped = true;
    m_timer.stop();
}

void PaymentStatusPoller::onTick()
{
    if (m_remaining == 0) {
        stop();
        emit expired();
        return;
    }
    --m_remaining;
    emit countdownChanged(m_remaining);
    if (m_stopped)
        return;

    // No tick while the poll waits: the wait runs timers, and a nested poll could report the
    // payment a second time.
    m_timer.stop();
    m_inCall = true;
    ++m_polls;
    int state = -1;
    QPointer<PaymentStatusPoller> self(this);
    const bool answered = NetWorkBusiness::Instance()->getPayStatus(m_billNo, state) != 0;
    if (!self)
        return;
    m_inCall = false;
    if (m_stopped)
        return;
    if (!answered) {
        stop();
        emit failed();
        return;
    }
    if (state == 1) {
        stop();
        emit paid();
        return;
    }
    m_timer.start();
}
