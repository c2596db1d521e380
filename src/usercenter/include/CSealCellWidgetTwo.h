#pragma once
// The card of one seal on the user centre's seal page: the picture with a source badge, the
// record data under it, and up to two actions, syncing a USB key's seal to the cloud service
// (or cancelling that sync) and deleting the seal. After an action succeeds it emits sync(), on
// which the page rebuilds its list; a card never changes its own look after construction.
//
// What a card shows is given as one SealCardArgs record, built by the named constructors for the
// kinds of card the page shows (authorised, cloud, USB key, failed certification), so that no
// caller has to line up a dozen positional flags.

#include <QByteArray>
#include <QString>
#include <QWidget>

struct CertificationFailure;
struct SealInfo;
struct keycontiaininfo;

class QLabel;
class QPushButton;
class QToolButton;

struct SealCardArgs {
    QByteArray imgUrl;          // the seal picture's bytes
    QString companyName;        // row "签章名称": the seal's name
    QString sealType;           // row "备案单位"
    QString num;                // last row: creation or record time
    QString deviceName;         // the USB key's device name, or the seal's id (deletion)
    QString sealCode;           // the seal code (sync)
    int whetherOnline = 0;      // 0 online seal, 1 key seal synced to the cloud, other: neither
    int isLabel = 1;            // non-zero: held by the cloud service; 0: on a USB key only
    int isVerify = 0;           // non-zero: under review, no buttons
    QString sealtype;           // type code "01" to "05", or a text (key seals)
    QString sealRecordTime;
    QString sealRecordUnitName;
    bool iscertificationFailure = false;
    QString errorReason;        // reason and remark, separated by a comma
    int status = 0;             // 2: cancelled
    bool isAuth = false;        // authorised by a company: no delete button
    bool bHaveData = true;      // false: no sync button

    // A seal a company has authorised to the user: no delete and no sync action.
    static SealCardArgs authorised(const SealInfo& seal);
    // A company's cloud seal: certified (certification non-zero) or under review; picture: its
    // bytes.
    static SealCardArgs cloud(const SealInfo& seal, const QByteArray& picture);
    // The seal on an inserted USB key; haveData false when its cloud record was not found.
    static SealCardArgs usbKey(const keycontiaininfo& key, bool haveData);
    // A seal whose certification failed.
    static SealCardArgs failedCertification(const CertificationFailure& failure, const QByteArray& picture);
};

class CSealCellWidgetTwo : public QWidget
{
    Q_OBJECT
public:
    explicit CSealCellWidgetTwo(const SealCardArgs& args, QWidget* parent = nullptr);
    ~CSealCellWidgetTwo() override;

    // The text of a seal type code in the row "签章类型" ("其他类型章" for unknown codes).
    static QString sealTypeText(const QString& code);

    void setFirstWid(QWidget* wid, const QByteArray& imgUrl, const int& isImgLabel);
    void setSecondWid(QWidget* wid, const QString& companyName, const QString& sealType, const QString& num);
    void setVerifyWid(QWidget* verifyWid, const QByteArray& imgByte);

    const SealCardArgs& args() const { return m_args; }
    QLabel* nameLabel() const { return nameValue; }
    QLabel* unitLabel() const { return typeValue; }
    QLabel* unitCaption() const { return createDate; }
    QLabel* typeLabel() const { return m_typeValue; }
    QLabel* timeLabel() const { return countValue; }
    QLabel* timeCaption() const { return count; }
    QLabel* reasonLabel() const { return m_reason; }
    QLabel* remarkLabel() const { return m_remark; }
    QLabel* pictureLabel() const { return m_picture; }
    // Null where the card has none.
    QPushButton* deleteButton() const { return m_deleteBtn; }
    QToolButton* syncButton() const { return m_syncBtn; }
    QLabel* sourceBadge() const { return m_badge; }
    QLabel* reviewBadge() const { return m_reviewBadge; }
    QLabel* failedOverlay() const { return m_failedOverlay; }
    QLabel* cancelledOverlay() const { return m_cancelledOverlay; }

signals:
    // A sync, a cancelled sync or a deletion succeeded.
    void sync();

private:
    void syncAction();
    void deleteAction();
    QLabel* overlay(QWidget* area, const QString& picture);

    QLabel* nameValue = nullptr;
    QLabel* typeValue = nullptr;
    QLabel* countValue = nullptr;
    QString m_SealName;
    QString m_sealCode;
    QString m_SealId;
    int m_whetherOnline = 0;
    QLabel* count = nullptr;
    QLabel* createDate = nullptr;
    int m_isImgLabel = 1;
    int m_isVerify = 0;
    bool isClound = true;
    bool m_iscertificationFailure = false;
    QString m_errorReason;
    QString m_sealType;
    QString m_sealRecordTime;
    QString m_sealRecordUnitName;
    bool m_isAuth = false;
    bool m_bHaveData = true;
    int m_status = 0;

    SealCardArgs m_args;
    QLabel* m_typeValue = nullptr;
    QLabel* m_reason = nullptr;
    QLabel* m_remark = nullptr;
    QLabel* m_picture = nullptr;
    QPushButton* m_deleteBtn = nullptr;
    QToolButton* m_syncBtn = nullptr;
    QLabel* m_badge = nullptr;
    QLabel* m_reviewBadge = nullptr;
    QLabel* m_failedOverlay = nullptr;
    QLabel* m_cancelledOverlay = nullptr;
};
