#pragma once
// The seal panel of a document tab. So far it holds what the document view reads back (the page
// range of batch and cross-page signing and the first page's share of a cross-page seal), the
// tab's contract parameters, its view mode, and the signals and slots by which the workspace
// wires it to the canvas. The panel's controls (seal lists, sign modes, page boxes) fill these.

#include "ContractRecords.h"
#include "GlobalHeader.h"
#include "SignParamBusiness.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class ContractDetailInfoWidget;
class PdfEngine;

class RightToolBar : public QWidget
{
    Q_OBJECT
public:
    explicit RightToolBar(QWidget* parent = nullptr);
    // The panel of a document tab: the document's path, its engine (not owned) and page count.
    RightToolBar(const QString& fileName, PdfEngine* engine, QWidget* parent, int pageCount);

    // The page range, 1-based, as last taken from the panel's two page boxes.
    int m_minPage = 1;
    int m_maxPage = 1;

    // The cross-page first page's share of the seal width in percent (1 to 99).
    int getQfScale() const { return m_qfScale; }
    // Sets the share (clamped to 1..99), as the panel's share box does.
    void setQfScaleValue(int percent);

    // The tab's contract parameters (owned by the tab; null until the workspace hands them
    // over). The panel records the document's file name (no folder) in them.
    void setParam(SignParamBusiness* param);
    SignParamBusiness* param() const { return m_param; }

    // Which signing the panel shows: none yet, the open file itself, or cloud signing.
    Rt_View_Mode viewMode() const { return m_viewMode; }
    void setViewMode(Rt_View_Mode mode) { m_viewMode = mode; }
    // The state of the tab's document in cloud signing (a CloudSignMode).
    int cloudSignMode() const { return m_cloudSignMode; }
    void setCloudSignMode(int mode) { m_cloudSignMode = mode; }

    // The contract of a contract tab: kept here and shown in the contract details at the top of
    // the panel (ContractDetailInfoWidget.cpp).
    void setContractInfo(ContractInfo cInfo, QList<ContractSignerInfo> signers, CloudSignMode mode);
    ContractInfo getContractInfo() const { return m_contractInfo; }
    // The contract details block; made on first use (expanded, hidden) at the top of the panel.
    ContractDetailInfoWidget* contractInfoWidget();

    QString fileName() const { return m_fileName; }
    PdfEngine* engine() const { return m_engine; }
    int pageCount() const { return m_pageCount; }
    bool finishDisabled() const { return m_finishDisabled; }
    bool denyDisabled() const { return m_denyDisabled; }

signals:
    // The chosen seal: source (SealSource), the seal's id or device name, 1 for an authorised seal.
    void setSealState_Signal(int sealSource, QString id, int isAuth);
    // 0 single, 1 batch, 2 cross-page.
    void sendSignMode(int mode);
    // 0 all pages, 1 a range, 2 odd, 3 even pages.
    void sendSignPageMode(int mode);
    // 0 one side over several pages, 1 two facing sides.
    void qfStyleId(int id);
    void allPagesCheck(bool all);
    void setQfScale(int index);
    void previewSign(int signMode, int pageMode, int minPage, int maxPage, int qfStyle, bool allPages, int qfScale,
                     int sealSource);
    void close_Signal();
    void finishFlow();
    void refuseSign();
    void turnTitleBar();
    void menuSetState(bool enabled);

public slots:
    // The canvas ended a seal placement: no seal row stays chosen.
    void clearItemsSelection() {}
    void setFinishBtnDisable(bool disabled) { m_finishDisabled = disabled; }
    void setDenyBtnDisable(bool disabled) { m_denyDisabled = disabled; }
    // A USB key is being read (runs queued on the GUI thread).
    void beginReadUsbkeySlots() {}

private:
    QString m_fileName;
    PdfEngine* m_engine = nullptr;
    int m_pageCount = 0;
    int m_qfScale = 10;
    // Guarded: the record belongs to the tab and may go first.
    QPointer<SignParamBusiness> m_param;
    Rt_View_Mode m_viewMode = RVM_NoState;
    int m_cloudSignMode = CSM_Sign_NoSate;
    bool m_finishDisabled = true;
    bool m_denyDisabled = false;
    ContractInfo m_contractInfo;
    ContractDetailInfoWidget* m_contractInfoWidget = nullptr;
};
