#pragma once
// The seal panel of a document tab: the fixed-width column at the right of the canvas. The user
// picks a seal from its lists (own seals: a company's cloud seals or a person's handwritten
// signatures, and seals on USB keys; seals that companies authorised the user to use) and, in
// self-sign view for a company, the sign type (one seal, a batch over a page set, a cross-page
// seal) with its page options. The choices reach the tab's canvas through signals; the canvas
// reads the page range and the cross-page first page's share back when it signs. For cloud
// contracts the panel also carries the contract details, the contract-settings button and the
// finish and refuse buttons, laid out by the contract's state.
//
// Layout, top to bottom: contract details, settings row, strip, [title row, sign-type options,
// seal lists], the "only issues" notice, strip, finish row.

#include "ContractRecords.h"
#include "DeviceBussiness.h"
#include "GlobalHeader.h"
#include "SignParamBusiness.h"

#include <QFrame>
#include <QLabel>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>

#include <functional>

class ContractDetailInfoWidget;
class PdfEngine;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QToolButton;
class ShowSealCellWidget;

// The notice shown over the seal list while a USB key is read: an animation above a text.
class ReadKeyWaitingWidget : public QFrame
{
    Q_OBJECT
public:
    ReadKeyWaitingWidget(const QString& text, QWidget* parent);
    QLabel* textLabel() const { return m_textLabel; }

private:
    QLabel* m_gifLabel = nullptr;
    QLabel* m_textLabel = nullptr;
};

class RightToolBar : public QFrame
{
    Q_OBJECT
public:
    explicit RightToolBar(QWidget* parent = nullptr);
    // The panel of a document tab: the document's path (a contract's name for a contract tab),
    // its engine (not owned) and page count (-1 for a contract tab). Its content is built when
    // it is first shown or first used, not before: a local tab opens with the panel hidden, and
    // most are never signed in.
    RightToolBar(QString filePath, PdfEngine* engine, QWidget* parent, int pdfPages);

    // Builds the content before the panel first shows.
    void setVisible(bool visible) override;

    // The page range of batch and cross-page signing, 1-based, as last taken from the panel's
    // two page boxes. The canvas calls commitPageRange() before it reads them.
    int m_minPage = 1;
    int m_maxPage = 1;
    // Takes the range from the page boxes as they stand now (arrows and typing included, even
    // when the box still has the focus), with the same checks as leaving a box.
    void commitPageRange();

    // The cross-page first page's share of the seal width in percent (1 to 99).
    int getQfScale() const;
    // Sets the share box (1..99).
    void setQfScaleValue(int percent);

    // The tab's contract parameters (owned by the tab; null until the workspace hands them
    // over). The panel records the document's file name (no folder) in them.
    void setParam(SignParamBusiness* param);
    SignParamBusiness* param() const { return m_pSignparam; }

    // Which signing the panel shows. False, after a message, when the mode is not allowed.
    bool setViewMode(Rt_View_Mode mode);
    Rt_View_Mode viewMode() const { return m_viewMode; }
    // The state of the tab's document in cloud signing (a CloudSignMode); applies its layout.
    void setCloudSignMode(int mode);
    int cloudSignMode() const { return m_cloudSignMode; }

    void setContractInfo(const ContractInfo& info, const QList<ContractSignerInfo>& signers, CloudSignMode mode);
    ContractInfo getContractInfo() const { return m_contractInfo; }
    // The contract details block, hosted in contractInfoWidget() (ContractDetailInfoWidget.cpp).
    ContractDetailInfoWidget* contractDetails() const { ensureUi(); return m_contractDetails; }

    // Rebuilds the list of own seals: the keys of the map that may sign, then the cloud seals
    // or signatures the service lists for the view.
    void setSealData(QMap<QString, KeyContainInfo>& deviceMap);
    // Shows (cloud view) or hides (self-sign view) the link to add seals.
    void setControl(bool isShow);
    // A USB key was pulled out: its rows go.
    void pulloutDevice(QString devName);
    void setCellWidgetsSyncBtnHidden(bool bhidden);

    QString fileName() const { return m_filePath; }
    PdfEngine* engine() const { return m_engine; }
    int pageCount() const { return m_pdfPages; }
    bool finishDisabled() const;
    bool denyDisabled() const;

    // The contract-settings dialog, which fills the tab's contract parameters: it runs modally
    // and answers QDialog::Accepted or Rejected; it is expected to call finishSignSetting() on
    // the panel when the settings are taken. By default the signing settings dialog over the
    // tab's parameters (a test seam); set to nothing, the settings count as cancelled.
    using SettingsDialogRunner = std::function<int(QWidget* parent, SignParamBusiness* param, RightToolBar* panel)>;
    static void setSettingsDialogRunner(SettingsDialogRunner runner);

    // Children, for the workspace and tests.
    QWidget* contractInfoWidget() const { ensureUi(); return m_contractInfoWidget; }
    QWidget* settingWidget() const { ensureUi(); return m_settingWidget; }
    QPushButton* settingButton() const { ensureUi(); return m_btnSetting; }
    QWidget* toolWidget() const { ensureUi(); return m_toolWidget; }
    QToolButton* mySignatureButton() const { ensureUi(); return m_mySignature; }
    QToolButton* myAuthorSealButton() const { ensureUi(); return m_myauthorSeal; }
    QPushButton* closeButton() const { ensureUi(); return m_closeBtn; }
    QWidget* batchWidget() const { ensureUi(); return m_batchWidget; }
    QStackedWidget* stackedWidget() const { ensureUi(); return m_stackedWidget; }
    QStackedWidget* sealStackedWidget() const { ensureUi(); return m_sealStackedWidget; }
    QListWidget* sealListWidget() const { ensureUi(); return m_sealListWidget; }
    QListWidget* authorSealListWidget() const { ensureUi(); return m_authorSealListWidget; }
    ReadKeyWaitingWidget* readKeyWaitingWidget() const { ensureUi(); return m_readKeyWaitingWidget; }
    QLabel* onlyStartText() const { ensureUi(); return m_onlyStartText; }
    QWidget* finishWidget() const { ensureUi(); return m_finishWidget; }
    QPushButton* finishButton() const { ensureUi(); return m_btnfinish; }
    QPushButton* denyButton() const { ensureUi(); return m_btnDeny; }
    QWidget* separator(int i) const
    {
        ensureUi();
        return i == 1 ? m_verflag1 : m_verflag2;
    }
    QLabel* showInfoText() const { ensureUi(); return m_showInfoText; }
    QPushButton* gotoAddSealButton() const { ensureUi(); return m_gotoAddSeal; }
    QLabel* huoLabel() const { ensureUi(); return m_huoLab; }
    // The sign-type block.
    QButtonGroup* signTypeGroup() const { ensureUi(); return btnGroup; }
    QComboBox* pageModeBox() const { ensureUi(); return comBox; }
    QComboBox* styleBoxWidget() const { ensureUi(); return styleBox; }
    QSpinBox* minPageBox() const { ensureUi(); return minSpinBox; }
    QSpinBox* maxPageBox() const { ensureUi(); return maxSpinBox; }
    QSpinBox* shareBox() const { ensureUi(); return spinBox; }
    QCheckBox* allPagesBox() const { ensureUi(); return ckBox; }
    QButtonGroup* shareGroup() const { ensureUi(); return btnBatchGroup; }
    QPushButton* previewButton() const { ensureUi(); return pushBtn; }
    QLabel* promptLabel() const { ensureUi(); return m_pLabPrompt; }
    QWidget* pageModeLabel() const { ensureUi(); return txtLabel; }
    QWidget* rangeFrame() const { ensureUi(); return frame; }
    QWidget* styleFrame() const { ensureUi(); return m_frame; }
    QWidget* shareFrame() const { ensureUi(); return m_frame1; }
    // The rows of a list, in order.
    static QList<ShowSealCellWidget*> rows(QListWidget* list);

signals:
    // The chosen seal: source (SealSource), the seal's id or device name, 1 for an authorised seal.
    void setSealState_Signal(int mode, QString devName, int isAuth);
    // 0 single, 1 batch, 2 cross-page.
    void sendSignMode(int mode);
    // 0 all pages, 1 a range, 2 odd, 3 even pages.
    void sendSignPageMode(int mode);
    // 0 one side over several pages, 1 two facing sides.
    void qfStyleId(int id);
    void allPagesCheck(bool all);
    // 0 the first page takes the given share, 1 equal shares.
    void setQfScale(int index);
    // Sign type, page mode, cross-page style, share mode, first page's percent, all pages,
    // first and last page.
    void previewSign(int id, int modeId, int qfMode, int qfModeScale, int scale, bool isCheck, int minPage,
                     int maxPage);
    void close_Signal();
    void finishFlow();
    void refuseSign();
    void turnTitleBar();
    // After turnTitleBar: the user-centre page to show (1 seals and signatures, 3 the package
    // purchase). The workspace relays it to the main window, which owns the user centre.
    void openUserCenterPage(int menuId);
    void menuSetState(bool enabled);
    // The seal choice ended: every row's "我要签署" is unchecked.
    void clearItemsSelection();

public slots:
    void setFinishBtnDisable(bool disabled);
    void setDenyBtnDisable(bool disabled);
    bool setSignParamsSlots();
    void finishSignSetting();
    // A USB key is being read (runs queued on the GUI thread).
    void beginReadUsbkeySlots();
    void insertDevice(QString devName);
    void on_SealsTool_Group_Clicked(int id);
    void addSealButtonClicked(int type, QString devName);
    void addSyncSealbuttonClicked(QString devName, bool bsync);
    // Sign-type block.
    void onButtonClicked(int id);
    void on_comboBox_currentIndexChanged(int index);
    void on_styleBox_currentIndexChanged(int index);
    void onButtonQfClicked(int index);

private:
    // Builds the content once (every entry that touches it calls this first).
    void ensureUi() const;
    void initUi();
    void buildContractDetails();
    void buildBatchWidget();
    void buildSealLists();
    void initSealList(QListWidget* list);
    void applyLocalLayout();
    void applyCloudLayout();
    void applyCloudSignModeLayout();
    void resetRange();
    void checkMinPage();
    void checkMaxPage();
    void showStackPage(int page);
    void insertKeySealItem(const KeyContainInfo& keyinfo, int isInsert);
    void insertCloudSealItem(const QString& name, const QByteArray& imageData, const QString& id, bool bsealImage,
                             bool disable);
    void insertAuthSealItem(const QString& name, const QByteArray& imageData, const QString& id,
                            const AuthCompanyInfo& company, bool disable);
    void appendRow(QListWidget* list, ShowSealCellWidget* row, QListWidgetItem* item, const QString& name);

    QString m_filePath;
    PdfEngine* m_engine = nullptr;
    int m_pdfPages = 0;
    Rt_View_Mode m_viewMode = RVM_NoState;
    int m_cloudSignMode = CSM_Sign_NoSate;
    // Guarded: the record belongs to the tab and may go first.
    QPointer<SignParamBusiness> m_pSignparam;
    ContractInfo m_contractInfo;
    QList<ContractSignerInfo> m_signers;

public:
    // The companies that have authorised the user, as last loaded.
    QList<AuthCompanyInfo> authCompanyInfo;

private:
    int m_btnHeight = 0;
    int m_btnWidth = 0;
    bool m_uiBuilt = false;

    QWidget* m_contractInfoWidget = nullptr;
    ContractDetailInfoWidget* m_contractDetails = nullptr;
    QWidget* m_settingWidget = nullptr;
    QPushButton* m_btnSetting = nullptr;
    QWidget* m_verflag1 = nullptr;
    QWidget* m_toolWidget = nullptr;
    QToolButton* m_mySignature = nullptr;
    QToolButton* m_myauthorSeal = nullptr;
    QPushButton* m_closeBtn = nullptr;
    QButtonGroup* m_sealsToolGroup = nullptr;
    QWidget* m_batchWidget = nullptr;
    QStackedWidget* m_stackedWidget = nullptr;
    QLabel* m_onlyStartText = nullptr;
    QWidget* m_verflag2 = nullptr;
    QWidget* m_finishWidget = nullptr;
    QPushButton* m_btnfinish = nullptr;
    QPushButton* m_btnDeny = nullptr;

    // Seal lists.
    QListWidget* m_sealListWidget = nullptr;
    QListWidget* m_authorSealListWidget = nullptr;
    QStackedWidget* m_sealStackedWidget = nullptr;
    ReadKeyWaitingWidget* m_readKeyWaitingWidget = nullptr;
    QLabel* m_showInfoText = nullptr;
    QLabel* m_huoLab = nullptr;
    QPushButton* m_gotoAddSeal = nullptr;

    // Sign-type block.
    QButtonGroup* btnGroup = nullptr;
    QToolButton* singleSealBtn = nullptr;
    QToolButton* batchSealBtn = nullptr;
    QToolButton* paperSealBtn = nullptr;
    QLabel* m_pLabPrompt = nullptr;
    QLabel* txtLabel = nullptr;
    QComboBox* comBox = nullptr;
    QWidget* frame = nullptr;
    QLabel* pageLabel = nullptr;
    QSpinBox* minSpinBox = nullptr;
    QLabel* zLabel = nullptr;
    QSpinBox* maxSpinBox = nullptr;
    QCheckBox* ckBox = nullptr;
    QWidget* m_frame = nullptr;
    QComboBox* styleBox = nullptr;
    QWidget* m_frame1 = nullptr;
    QButtonGroup* btnBatchGroup = nullptr;
    QToolButton* toolBtn1 = nullptr;
    QToolButton* toolBtn2 = nullptr;
    QSpinBox* spinBox = nullptr;
    QPushButton* pushBtn = nullptr;
};
