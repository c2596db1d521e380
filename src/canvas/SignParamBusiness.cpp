#include "SignParamBusiness.h"

SignParamBusiness::SignParamBusiness(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<SignParamBusiness*>("SignParamBusiness*");
}

QString SignParamBusiness::signAttStr() const
{
    return m_signAtt == es_addme ? QStringLiteral("issueAndSign") : QStringLiteral("justIsuue");
}

QString SignParamBusiness::signOrderModeStr() const
{
    return m_signorderMode == 0 ? QStringLiteral("parallel") : QStringLiteral("serial");
}

void SignParamBusiness::reset()
{
    m_endDate.clear();
    m_remark.clear();
    m_signAtt = -1;
    m_signorderMode = -1;
    m_signerVec.resize(0); // keeps the capacity
    m_bSetted = false;
}
