#include "DeviceBussiness.h"

#include "CLog.h"
#include "NetWorkBusiness.h"

#include <QtConcurrent/QtConcurrent>

DeviceBussiness* DeviceBussiness::m_pInstance = nullptr;
DeviceBussiness::GC DeviceBussiness::gc;

int registerKeyContainInfoMetaType()
{
    static const int id = qRegisterMetaType<KeyContainInfo>("KeyContainInfo");
    return id;
}

DeviceBussiness::GC::~GC()
{
    delete m_pInstance;
    m_pInstance = nullptr;
}

DeviceBussiness* DeviceBussiness::Instance(QObject* parent)
{
    if (!m_pInstance)
        m_pInstance = new DeviceBussiness(parent);
    return m_pInstance;
}

DeviceBussiness::DeviceBussiness(QObject* parent)
    : QObject(parent)
{
    registerKeyContainInfoMetaType();
}

DeviceBussiness::~DeviceBussiness()
{
    m_devicesMap.clear();
}

void DeviceBussiness::insertDevice(QString devName, QString strDLL)
{
    if (devName == isInDevName)
        return;
    m_Dll = strDLL;
    keycontiaininfo record;
    record.deviceName = devName;
    m_devicesMap.insert(devName, record);
    emit insertDevice_signal(devName);
    isOuDevName.clear();
    isInDevName = devName;
    ORV_LOG_PREFIX(QString::fromUtf8("插入Key: %1").arg(devName), QStringLiteral("\n"));
}

void DeviceBussiness::pulloutDevice(QString devName)
{
    if (devName == isOuDevName)
        return;
    m_devicesMap.remove(devName);
    emit pulloutDevice_signal(devName);
    isInDevName.clear();
    isOuDevName = devName;
    m_OutCount = 1;
    ORV_LOG_PREFIX(QString::fromUtf8("拔出Key: %1").arg(devName), QStringLiteral("\n"));
}

KeyContainInfo DeviceBussiness::getKeyContainInfo(QString key)
{
    return m_devicesMap.value(key, keycontiaininfo());
}

QMap<QString, keycontiaininfo> DeviceBussiness::getKeyContainInfoMap()
{
    return m_devicesMap;
}

void DeviceBussiness::insertKeyContainInfo(QString key, KeyContainInfo keyInfo)
{
    m_devicesMap.insert(key, keyInfo);
}

int DeviceBussiness::readKeyData(QString devName)
{
    // The service client must come to life on the GUI thread, never first on the pool thread.
    NetWorkBusiness::Instance();
    (void)QtConcurrent::run([this, devName] { return readKeyDataFun(devName); });
    return 0;
}

int DeviceBussiness::readKeyDataFun(QString devName)
{
    emit beginReadUsbkey();
    keycontiaininfo record;
    const int nRet = readKeyContainInfo(devName, record);
    const QVariant variant = QVariant::fromValue(record);
    if (NetWorkBusiness::Instance()->getBusinessInfo())
        emit setKeyInfo(nRet, variant);
    m_Count = 1;
    return nRet;
}

void DeviceBussiness::startThreadSlot()
{
    readKeyDataFun(m_devName);
}

int DeviceBussiness::getCount()
{
    return m_Count;
}

void DeviceBussiness::setCount(int count)
{
    m_Count = count;
}

int DeviceBussiness::getOutCount()
{
    return m_OutCount;
}

void DeviceBussiness::setOutCount(int count)
{
    m_OutCount = count;
}

int DeviceBussiness::readKeyContainInfo(QString, KeyContainInfo&)
{
    return 0;
}

int DeviceBussiness::rewriteCertFile(const QString&, const QByteArray&)
{
    return -1;
}

int DeviceBussiness::verifyKeyPin(QString, QString)
{
    return -1;
}

int DeviceBussiness::motifyKeyPin(QString, QString, QString)
{
    return -1;
}
