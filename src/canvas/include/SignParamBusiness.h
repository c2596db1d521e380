#pragma once
// The contract signing parameters of one document tab: the contract's name, deadline and
// remark, whether the initiator signs too, the signing order, the other signers and on whose
// behalf the user acts. Every tab carries one as its tab data; its m_conFileName is the tab's
// key (a local file's path, a contract's id, an authorisation's protocol id). The settings
// dialog fills it, the seal panel reads and adjusts it, and finishing a contract turns it into
// service requests. Its signers are the service's contract signer records (SignerInfo).

#include "ContractRecords.h"

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QVector>

class SignParamBusiness : public QObject
{
    Q_OBJECT
public:
    // The service's signPattern: the initiator signs too, or only issues.
    enum ensignAtt { es_addme = 0, es_nodaddme = 1 };

    explicit SignParamBusiness(QObject* parent = nullptr);

    void setFileName(const QString& name) { m_fileName = name; }
    QString fileName() const { return m_fileName; }
    void setEndDate(const QString& date) { m_endDate = date; }
    QString endDate() const { return m_endDate; }
    void setShowEndDate(const QString& date) { m_showTextEndDate = date; }
    QString showEndDate() const { return m_showTextEndDate; }
    void setRemark(const QString& remark) { m_remark = remark; }
    QString remark() const { return m_remark; }
    void setTheme(const QString& theme) { m_theme = theme; }
    QString theme() const { return m_theme; }
    void setSignAtt(int att) { m_signAtt = att; }
    int signAtt() const { return m_signAtt; }
    void setSignOrderMode(int mode) { m_signorderMode = mode; }
    int signOrderMode() const { return m_signorderMode; }
    void setDeputyAtt(int att) { m_deputyAtt = att; }
    int deputyAtt() const { return m_deputyAtt; }
    void setSelectCompany(const QString& name) { m_selectCompany = name; }
    QString selectCompany() const { return m_selectCompany; }
    void setComPanyId(const QString& id) { m_companyId = id; }
    QString getCompanyId() const { return m_companyId; }
    void setConFileName(const QString& key) { m_conFileName = key; }
    QString getConFileName() const { return m_conFileName; }
    void setcloudSignMode(int mode) { m_cloudSignMode = mode; }
    int getcloudSignMode() const { return m_cloudSignMode; }
    void setFileType(int type) { file_type = type; }
    int getFileType() const { return file_type; }
    void setShowDeputyAtt(bool show) { m_bShowDeputyAtt = show; }
    bool showDeputyAtt() const { return m_bShowDeputyAtt; }
    void setSignParamFromBtn(bool fromBtn) { m_bSetSignParamFromBtn = fromBtn; }
    bool signParamFromBtn() const { return m_bSetSignParamFromBtn; }

    void setSettingState() { m_bSetted = true; }
    bool settingState() const { return m_bSetted; }
    void addLinkman(const SignerInfo& signer) { m_signerVec.append(signer); }
    QVector<SignerInfo> linkMan() const { return m_signerVec; }
    // "issueAndSign" for es_addme, "justIsuue" for anything else (the service's texts).
    QString signAttStr() const;
    // "parallel" for 0, "serial" for anything else (the service's signRule texts).
    QString signOrderModeStr() const;
    // Clears what the settings dialog fills again: deadline, remark, sign attribute, order,
    // signers and the set flag. Name, file name, shown date, company, flags and key stay.
    void reset();

    QString m_fileName;
    QString m_endDate;
    QString m_showTextEndDate;
    QString m_remark;
    QString m_theme;
    int m_signAtt = -1;
    int m_signorderMode = -1;
    QVector<SignerInfo> m_signerVec;
    bool m_bSetted = false;
    bool m_bShowDeputyAtt = false;
    bool m_bSetSignParamFromBtn = false;
    QString m_conFileName;
    int m_cloudSignMode = 0;
    int file_type = 0;
    int m_deputyAtt = 1;
    QString m_selectCompany;
    QString m_companyId;
};

Q_DECLARE_METATYPE(SignParamBusiness*)
