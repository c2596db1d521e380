#pragma once
// The QR-code payment dialog of an order of the cloud service and the small box that confirms a
// successful payment.
//
// PayQrCodeDialog shows the payment QR picture, counts down and asks the service once a second
// whether the bill has been paid (PaymentStatusPoller). A package order (type 1) then closes and
// confirms the purchase; a certificate renewal (type 2) fetches the user's certificate again,
// every 3000 ms until that works (a few times at most), and reports the renewal.
//
// Every service call and box here waits in a nested event loop that still delivers timer
// events. Each timer is therefore stopped while its call or box waits, and the dialog finishes
// once: one poll or certificate check at a time, one result box, one sigCertRenewSucess().

#include "ParentDialog.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class PaymentStatusPoller;
class QLabel;
class QPushButton;
class QTimer;

class PayQrCodeDialog : public ParentDialog
{
    Q_OBJECT
public:
    // qrCode: the QR picture as standard Base64 text of an image file; orderId: the bill number
    // the poll sends; type: 1 package order, 2 certificate renewal; countdownMS: the number of
    // one-second ticks to count down (a count of seconds, not milliseconds).
    PayQrCodeDialog(const QString& qrCode, const QString& orderId, int type, int countdownMS, QWidget* parent = nullptr);
    ~PayQrCodeDialog() override;

    // How often the certificate is fetched after a paid renewal before the dialog gives up.
    static constexpr int kMaxCertChecks = 5;

    // Test seam: the poll interval (1000 ms) and the certificate-check interval (3000 ms) of
    // dialogs built afterwards; 0 restores the program's times.
    static void setIntervalsForTesting(int pollMs, int certCheckMs);

    int type() const { return m_type; }
    QString orderId() const { return orderId_; }
    int remainingSeconds() const { return m_nStartValue; }
    QLabel* countdownLabel() const { return msLabel; }
    QLabel* qrLabel() const { return m_qrLabel; }
    // Payment polls made so far and certificate fetches made after the payment.
    int pollCount() const;
    int certCheckCount() const { return m_certChecks; }
    // True while the bill is polled or, after a renewal payment, the certificate is checked.
    bool isWorking() const;

signals:
    // Declared for the orders page; not emitted.
    void updateMyNOrderList();
    // A renewal was paid and the certificate fetched afterwards is no longer expired. Emitted
    // once, just before the dialog closes and the success box is shown.
    void sigCertRenewSucess();

public slots:
    // Timer 1, on each tick: shows the seconds left (the poll of the tick follows).
    void on_timer_timeout();
    // Timer 2 (renewal paid): fetches the certificate and reports the renewal.
    void slotPayResult();

public:
    // Stops the poll and the certificate checks when the dialog closes, however it closes.
    void done(int result) override;

private:
    void onPaid();
    void stopAll();

    PaymentStatusPoller* m_poller = nullptr;   // timer 1: countdown and payment poll
    QTimer* m_pTimer2 = nullptr;                // timer 2: certificate check of a renewal
    int m_nStartValue = 0;
    QLabel* msLabel = nullptr;
    QLabel* m_qrLabel = nullptr;
    QString orderId_;
    int m_type = 0;
    int m_certChecks = 0;
    bool m_checking = false;    // a certificate fetch waits
    bool m_finished = false;    // the outcome was handled (box shown, signal emitted)
    bool m_paid = false;
};

class PaySuccessDialog : public ParentDialog
{
    Q_OBJECT
public:
    // type 1 package purchase, 2 certificate renewal.
    PaySuccessDialog(int type, QWidget* parent = nullptr);

    // Runs the box; with an exec hook set (tests), the hook runs instead of the modal loop and
    // its value is returned.
    int exec() override;

    using ExecHook = std::function<int(PaySuccessDialog& box)>;
    static void setExecHook(ExecHook hook);
    static ExecHook execHook();

    // Called by the OK button after the box closed, with the box's type: the user centre sets it
    // to show and reload the page the payment concerns (the account page for a renewal, the
    // packages page for a purchase). Empty by default.
    using PageReload = std::function<void(int type)>;
    static void setPageReload(PageReload reload);

    int type() const { return m_type; }
    QString text() const;
    QPushButton* okButton() const { return m_okButton; }

signals:
    // The OK button of a renewal box was clicked.
    void sigCertRenewSucess();

private:
    void onOk();

    int m_type = 0;
    QLabel* m_textLabel = nullptr;
    QPushButton* m_okButton = nullptr;
};

// For tests: answers every success box shown while it lives with its OK button and records the
// boxes' types and texts.
class PaySuccessAutoAnswer
{
public:
    PaySuccessAutoAnswer();
    ~PaySuccessAutoAnswer();

    int count() const { return m_types.size(); }
    QList<int> types() const { return m_types; }
    QStringList texts() const { return m_texts; }

private:
    QList<int> m_types;
    QStringList m_texts;
    PaySuccessDialog::ExecHook m_previous;
};
