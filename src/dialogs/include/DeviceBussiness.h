#pragma once
// The registry of inserted USB keys and the signals that tell the screens when a key comes,
// goes and has been read. The device layer that talks to the keys themselves is not part of
// this program: its operations here report that no key can be read or written.

#include <QByteArray>
#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QVariant>

// The seal and certificate record of one USB key.
struct keycontiaininfo {
    QString sealName;
    QString strLicNum;
    QString sealCode;
    QString deviceName;
    QString sealUnitName;
    QString sealrecordUnitName;
    QString sealrecordTime;
    QByteArray sealImageData;
    qreal sealImageWidth = 0;
    qreal sealImageHeight = 0;
    QString certSn;
    QByteArray certData;
    int isClound = -1;
    QString szAlg;
    QString timeStart;
    QString timeEnd;
    QString strSealType;
    bool readed = false;
};
using KeyContainInfo = keycontiaininfo;
Q_DECLARE_METATYPE(KeyContainInfo)

// Registers keycontiaininfo under the name "KeyContainInfo" (idempotent).
int registerKeyContainInfoMetaType();

class DeviceBussiness : public QObject
{
    Q_OBJECT
public:
    static DeviceBussiness* Instance(QObject* parent = nullptr);
    ~DeviceBussiness() override;

    // Entry points of the device layer: a key came, a key went. A repeated report of the same
    // event (same name, nothing in between) counts once.
    void insertDevice(QString devName, QString strDLL);
    void pulloutDevice(QString devName);

    // A copy of the record of a device name, or a default record.
    KeyContainInfo getKeyContainInfo(QString key);
    QMap<QString, keycontiaininfo> getKeyContainInfoMap();
    void insertKeyContainInfo(QString key, KeyContainInfo keyInfo);

    // Reads the key's container on the global thread pool; returns 0 at once.
    int readKeyData(QString devName);

    int getCount();
    void setCount(int count);
    int getOutCount();
    void setOutCount(int count);

    // Device-layer operations. No device layer is present: reading leaves the record as it is
    // and returns 0; writing a certificate, verifying and changing a PIN fail with -1.
    int readKeyContainInfo(QString devName, KeyContainInfo& keyinfo);
    int rewriteCertFile(const QString& devName, const QByteArray& certData);
    int verifyKeyPin(QString devName, QString password);
    int motifyKeyPin(QString devName, QString oldpassword, QString newPassword);

public slots:
    void startThreadSlot();

signals:
    void insertDevice_signal(QString devName);
    void pulloutDevice_signal(QString devName);
    void beginReadUsbkey();
    void setKeyInfo(int nRet, QVariant keyInfo);
    void finishReadusbKey(int nRet, QVariant keyInfo);
    void sigDueReminder(KeyContainInfo keyInfo);

private:
    explicit DeviceBussiness(QObject* parent);
    DeviceBussiness(const DeviceBussiness&) = delete;
    DeviceBussiness& operator=(const DeviceBussiness&) = delete;

    int readKeyDataFun(QString devName);

    class GC
    {
    public:
        ~GC();
    };
    static DeviceBussiness* m_pInstance;
    static GC gc;

    QMap<QString, keycontiaininfo> m_devicesMap;
    QString m_devName;
    QString m_Dll;
    QString isInDevName;
    QString isOuDevName;
    QAtomicInt m_Count = 0;
    int m_OutCount = 0;
};
