#include "RightToolBar.h"

#include "ContractDetailInfoWidget.h"

#include "CLog.h"
#include "CertState.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "PdfEngine.h"
#include "QuickMessageBox.h"
#include "ShowSealCellWidget.h"
#include "SignParamBusiness.h"
#include "SignParamSetting.h"
#include "TableView.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMovie>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

int z(double v)
{
    return int(v * screenZoom);
}

// The contract-settings dialog over the tab's parameters; taking the settings calls the panel's
// finishSignSetting.
int runSettingsDialog(QWidget* parent, SignParamBusiness* param, RightToolBar* panel)
{
    if (!param)
        return QDialog::Rejected;
    SignParamSetting dialog(parent, param);
    QObject::connect(&dialog, &SignParamSetting::finsishSetting, panel, &RightToolBar::finishSignSetting);
    dialog.fillSignBussinessToValue();
    return dialog.exec();
}

RightToolBar::SettingsDialogRunner& settingsRunner()
{
    static RightToolBar::SettingsDialogRunner runner = runSettingsDialog;
    return runner;
}

// A refusal of the panel: an information box on the top window.
void showRefusal(const QString& text)
{
    MMessageBox::showInformation(g_topWidget, QStringLiteral("Orvessa"), text, QSize(280, 160), QDialogButtonBox::Ok,
                                 QDialogButtonBox::NoButton);
}

QWidget* separatorStrip(QWidget* parent)
{
    QWidget* strip = new QWidget(parent);
    strip->setObjectName(QStringLiteral("rt_verflag"));
    strip->setAttribute(Qt::WA_StyledBackground, true);
    strip->setFixedHeight(z(7));
    return strip;
}

const BusinessInfo* loggedInUser()
{
    return NetWorkBusiness::Instance()->getBusinessInfo();
}

} // namespace

// The pictures of the panel and its rows (a static library's resources are registered by hand).
static void initSealPanelResources()
{
    static bool done = false;
    if (!done)
    {
        Q_INIT_RESOURCE(sealpanel);
        done = true;
    }
}

// ---- key-reading notice ---------------------------------------------------------------------

ReadKeyWaitingWidget::ReadKeyWaitingWidget(const QString& text, QWidget* parent) : QFrame(parent)
{
    m_gifLabel = new QLabel(this);
    m_gifLabel->setAlignment(Qt::AlignCenter);
    m_gifLabel->setStyleSheet(QStringLiteral("background:white;"));
    QMovie* movie = new QMovie(QStringLiteral(":/Resources/loading2.gif"), QByteArray(), this);
    m_gifLabel->setMovie(movie);
    movie->start();
    m_textLabel = new QLabel(text, this);
    m_textLabel->setAlignment(Qt::AlignCenter);
    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->addWidget(m_gifLabel);
    layout->addWidget(m_textLabel);
    setStyleSheet(QStringLiteral("background:white;"));
}

// ---- construction ---------------------------------------------------------------------------

RightToolBar::RightToolBar(QWidget* parent) : RightToolBar(QString(), nullptr, parent, 0) {}

RightToolBar::RightToolBar(QString filePath, PdfEngine* engine, QWidget* parent, int pdfPages)
    : QFrame(parent), m_filePath(filePath), m_engine(engine), m_pdfPages(pdfPages)
{
    initSealPanelResources();
    m_btnHeight = z(22);
    m_btnWidth = z(18);
    setFixedWidth(z(187));
}

void RightToolBar::ensureUi() const
{
    if (m_uiBuilt)
        return;
    RightToolBar* self = const_cast<RightToolBar*>(this);
    self->m_uiBuilt = true;
    self->initUi();
}

void RightToolBar::setVisible(bool visible)
{
    if (visible)
        ensureUi();
    QFrame::setVisible(visible);
}

void RightToolBar::setSettingsDialogRunner(SettingsDialogRunner runner)
{
    settingsRunner() = std::move(runner);
}

void RightToolBar::initUi()
{
    // The panel's style goes first: a child that shows while it is built (a stack's first page,
    // a list's row) is styled at once, and must see the panel's rules then.
    setStyleSheet(
        QStringLiteral(
            "RightToolBar{border:1px solid rgba(48,48,48,25);}"
            "QListView{border:none;background:#FAFBFA;}"
            "QPushButton,QToolButton{border:none;background:transparent;}"
            "QToolButton[mode='style2']{font-weight:bold;color:#A9A9A9;font-size:%1px;}"
            "QToolButton[mode='style2']:checked{background:white;color:#333333;}"
            "#close{border-radius:%2px;}#close:hover{background:rgba(0,0,0,20);}"
            "#close:pressed{background:rgba(255,0,0,225);}"
            "QLabel{font-weight:bold;color:#A9A9A9;font-size:%1px;}"
            "QLabel[mode='gray']{font-weight:bold;color:#BBBDBE;font-size:%1px;}"
            "#btnSetting{background:white;border:1px solid #31CA84;color:#31CA84;border-radius:%3px;font-size:%1px;}"
            "#btnSetting:hover{background:#17A96A;color:white;}"
            "#btnSetting:disabled{background:#CACACA;color:#333333;}"
            "#btnFinish{background:#FFCF06;border:1px solid #FFA706;color:white;border-radius:%3px;font-size:%1px;}"
            "#btnFinish:hover{background:#FFAE12;}"
            "#btnFinish:disabled{background:#CACACA;color:#333333;}"
            "#rt_toolWidget{background:#FAFBFA;}#rt_verflag{background:#F2F7F5;}")
            .arg(toFixString(11.5), toFixString(9.5), toFixString(10)));
    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // 1. Contract details, hidden until a contract state shows them.
    buildContractDetails();
    layout->addWidget(m_contractInfoWidget, 1);
    m_contractInfoWidget->hide();

    // 2. Settings row.
    m_settingWidget = new QWidget(this);
    QHBoxLayout* setting = new QHBoxLayout(m_settingWidget);
    setting->setContentsMargins(z(9), z(9), z(9), z(9));
    m_btnSetting = new QPushButton(QStringLiteral("签章设置"), m_settingWidget);
    m_btnSetting->setObjectName(QStringLiteral("btnSetting"));
    m_btnSetting->setFixedSize(z(111), m_btnHeight);
    setting->addWidget(m_btnSetting, 0, Qt::AlignCenter);
    layout->addWidget(m_settingWidget);
    connect(m_btnSetting, &QPushButton::clicked, this, [this] {
        if (m_pSignparam)
            m_pSignparam->setSignParamFromBtn(false);
        setSignParamsSlots();
    });

    // 3. Strip.
    m_verflag1 = separatorStrip(this);
    layout->addWidget(m_verflag1);

    // 4. Title row, sign-type block, seal lists.
    QVBoxLayout* middle = new QVBoxLayout;
    middle->setSpacing(0);
    m_toolWidget = new QWidget(this);
    m_toolWidget->setObjectName(QStringLiteral("rt_toolWidget"));
    m_toolWidget->setAttribute(Qt::WA_StyledBackground, true);
    m_toolWidget->setFixedHeight(m_btnHeight);
    QHBoxLayout* title = new QHBoxLayout(m_toolWidget);
    title->setContentsMargins(0, 0, 0, 0);
    title->setSpacing(0);
    m_mySignature = new QToolButton(m_toolWidget);
    m_mySignature->setText(QStringLiteral("我的签名"));
    m_myauthorSeal = new QToolButton(m_toolWidget);
    m_myauthorSeal->setText(QStringLiteral("授权印章"));
    m_sealsToolGroup = new QButtonGroup(this);
    m_sealsToolGroup->setExclusive(true);
    for (QToolButton* b : {m_mySignature, m_myauthorSeal})
    {
        b->setCheckable(true);
        b->setProperty("mode", QStringLiteral("style2"));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        title->addWidget(b);
    }
    m_sealsToolGroup->addButton(m_mySignature, 0);
    m_sealsToolGroup->addButton(m_myauthorSeal, 1);
    m_mySignature->setChecked(true);
    m_myauthorSeal->hide();
    m_closeBtn = new QPushButton(m_toolWidget);
    m_closeBtn->setObjectName(QStringLiteral("close"));
    m_closeBtn->setIcon(QIcon(QStringLiteral(":/Resources/images/close1.svg")));
    m_closeBtn->setIconSize(QSize(z(9), z(9)));
    m_closeBtn->setFixedSize(m_btnWidth, m_btnWidth);
    title->addWidget(m_closeBtn, 0, Qt::AlignRight);
    connect(m_sealsToolGroup, &QButtonGroup::idClicked, this,
            &RightToolBar::on_SealsTool_Group_Clicked);
    connect(m_closeBtn, &QPushButton::clicked, this, &RightToolBar::close_Signal);
    middle->addWidget(m_toolWidget);

    buildBatchWidget();
    middle->addWidget(m_batchWidget);
    buildSealLists();
    middle->addWidget(m_stackedWidget);
    layout->addLayout(middle, 1);

    // 5. The notice of a contract the initiator only issues.
    m_onlyStartText = new QLabel(QStringLiteral("您处于发起合同模式，合同自己不签署发给其他人签署！"), this);
    m_onlyStartText->setAlignment(Qt::AlignCenter);
    m_onlyStartText->setWordWrap(true);
    m_onlyStartText->setProperty("mode", QStringLiteral("gray"));
    layout->addWidget(m_onlyStartText, 1);
    m_onlyStartText->hide();

    // 6. Strip. 7. Finish row.
    m_verflag2 = separatorStrip(this);
    layout->addWidget(m_verflag2);
    m_finishWidget = new QWidget(this);
    QHBoxLayout* finish = new QHBoxLayout(m_finishWidget);
    m_btnfinish = new QPushButton(QStringLiteral("完成签署"), m_finishWidget);
    m_btnDeny = new QPushButton(QStringLiteral("拒签"), m_finishWidget);
    for (QPushButton* b : {m_btnfinish, m_btnDeny})
    {
        b->setObjectName(QStringLiteral("btnFinish"));
        b->setFixedSize(z(81), m_btnHeight);
        b->setEnabled(false);
        finish->addWidget(b);
    }
    layout->addWidget(m_finishWidget);
    connect(m_btnfinish, &QPushButton::clicked, this, &RightToolBar::finishFlow);
    connect(m_btnDeny, &QPushButton::clicked, this, &RightToolBar::refuseSign);
    layout->addStretch();

}

void RightToolBar::buildContractDetails()
{
    // The contract details of a contract tab go into this column.
    m_contractInfoWidget = new QWidget(this);
    QVBoxLayout* details = new QVBoxLayout(m_contractInfoWidget);
    details->setContentsMargins(0, 0, 0, 0);
    details->setSpacing(0);
    // Built expanded; the column shows or hides it by the contract's state.
    m_contractDetails = new ContractDetailInfoWidget(true, m_contractInfoWidget);
    details->addWidget(m_contractDetails, 1);
}

void RightToolBar::buildBatchWidget()
{
    m_batchWidget = new QWidget(this);
    QVBoxLayout* layout = new QVBoxLayout(m_batchWidget);
    layout->setContentsMargins(10, 10, 0, 0);
    layout->setSpacing(z(12));

    const QString labelStyle = QStringLiteral("QLabel{font-weight:normal;color:#6D7278;font-size:%1px;}")
                                   .arg(toFixString(8.5));
    const QString comboStyle =
        QStringLiteral("QComboBox{border:1px solid #DCDCDC;border-radius:%1px;color:#505050;font-size:%2px;"
                       "font-family:'微软雅黑';padding-left:4px;}"
                       "QComboBox::drop-down{border:none;width:%3px;}"
                       "QComboBox::down-arrow{image:url(:/Resources/images/down_arrow.png);width:%3px;height:%3px;}"
                       "QComboBox QAbstractItemView{border:1px solid rgb(49,202,132);"
                       "selection-background-color:rgba(49,202,132,49);selection-color:#505050;outline:0px;}"
                       "QComboBox QAbstractItemView::item{min-height:%4px;}")
            .arg(toFixString(1), toFixString(8.5), toFixString(5), toFixString(21.5));
    const QString spinStyle =
        QStringLiteral("QSpinBox{border:1px solid %1;color:%2;font-size:%3px;background:white;}"
                       "QSpinBox::up-button,QSpinBox::down-button{border:none;width:%4px;}"
                       "QSpinBox::up-arrow{image:url(%5);width:%4px;height:%6px;}"
                       "QSpinBox::down-arrow{image:url(%7);width:%4px;height:%6px;}");

    // 1. Sign type.
    QHBoxLayout* types = new QHBoxLayout;
    types->setSpacing(2);
    btnGroup = new QButtonGroup(this);
    btnGroup->setExclusive(true);
    singleSealBtn = new QToolButton(m_batchWidget);
    singleSealBtn->setText(QStringLiteral("单个签章"));
    batchSealBtn = new QToolButton(m_batchWidget);
    batchSealBtn->setText(QStringLiteral("批量签章"));
    paperSealBtn = new QToolButton(m_batchWidget);
    paperSealBtn->setText(QStringLiteral("骑缝签章"));
    int id = 0;
    for (QToolButton* b : {singleSealBtn, batchSealBtn, paperSealBtn})
    {
        b->setCheckable(true);
        b->setFixedSize(z(54), z(19));
        b->setStyleSheet(QStringLiteral("QToolButton{background:white;border:1px solid #E4E4E4;color:#A9A9A9;"
                                        "font-size:%1px;}"
                                        "QToolButton:checked{background:#23B769;border:1px solid #23B769;"
                                        "color:white;}")
                             .arg(toFixString(8)));
        btnGroup->addButton(b, id++);
        types->addWidget(b);
    }
    types->addStretch();
    singleSealBtn->setChecked(true);
    layout->addLayout(types);
    connect(btnGroup, &QButtonGroup::idClicked, this, &RightToolBar::onButtonClicked);

    // 2. Prompt.
    m_pLabPrompt = new QLabel(QStringLiteral("签章后将在原文件上自动保存，\n请注意备份!"), m_batchWidget);
    m_pLabPrompt->setAlignment(Qt::AlignCenter);
    m_pLabPrompt->setStyleSheet(QStringLiteral("QLabel{font-weight:normal;color:rgb(255, 167, 6);font-size:%1px;"
                                               "font-family:'微软雅黑';}")
                                    .arg(toFixString(9)));
    layout->addWidget(m_pLabPrompt);

    // 3. Pages of a batch.
    QHBoxLayout* pagesRow = new QHBoxLayout;
    pagesRow->setSpacing(z(5));
    txtLabel = new QLabel(QStringLiteral("签署页"), m_batchWidget);
    txtLabel->setStyleSheet(labelStyle);
    comBox = new QComboBox(m_batchWidget);
    comBox->addItems({QStringLiteral("全部页"), QStringLiteral("范围页"), QStringLiteral("奇数页"),
                      QStringLiteral("偶数页")});
    comBox->setStyleSheet(comboStyle);
    // The label and the box together take the width of the cross-page style box below, so the
    // box ends where that one does instead of running past the panel's right edge.
    txtLabel->ensurePolished();
    comBox->setFixedSize(std::max(z(60), z(165) - txtLabel->sizeHint().width() - z(5)), z(22));
    pagesRow->addWidget(txtLabel);
    pagesRow->addWidget(comBox);
    pagesRow->addStretch();
    layout->addLayout(pagesRow);
    connect(comBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &RightToolBar::on_comboBox_currentIndexChanged);

    // 4. Page range.
    frame = new QWidget(m_batchWidget);
    frame->setFixedHeight(z(35));
    QVBoxLayout* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->setSpacing(2);
    pageLabel = new QLabel(QStringLiteral("页码"), frame);
    pageLabel->setStyleSheet(labelStyle);
    frameLayout->addWidget(pageLabel);
    QHBoxLayout* range = new QHBoxLayout;
    range->setSpacing(z(4));
    minSpinBox = new QSpinBox(frame);
    zLabel = new QLabel(QStringLiteral("至"), frame);
    zLabel->setStyleSheet(QStringLiteral("QLabel{font-weight:normal;color:rgba(109,114,120,0.49);font-size:%1px;}")
                              .arg(toFixString(8.5)));
    maxSpinBox = new QSpinBox(frame);
    for (QSpinBox* s : {minSpinBox, maxSpinBox})
    {
        s->setFixedSize(z(46), z(18));
        s->setRange(1, std::max(1, m_pdfPages));
        s->setValue(1);
        s->setEnabled(false);
        s->setStyleSheet(spinStyle.arg(QStringLiteral("#DCDCDC"), QStringLiteral("#6D7278"), toFixString(8.5),
                                       toFixString(8), QStringLiteral(":/Resources/images/up_arrow.png"),
                                       toFixString(5), QStringLiteral(":/Resources/images/down_arrow.png")));
    }
    ckBox = new QCheckBox(QStringLiteral("全部页"), frame);
    ckBox->setStyleSheet(QStringLiteral("QCheckBox{color:#929292;font-size:%1px;}"
                                        "QCheckBox::indicator{width:%2px;height:%2px;}"
                                        "QCheckBox::indicator:unchecked{image:url(:/usercenter/Resources/images/"
                                        "usercenter/check.png);}"
                                        "QCheckBox::indicator:checked{image:url(:/usercenter/Resources/images/"
                                        "usercenter/check_select.png);}")
                             .arg(toFixString(8.5), toFixString(12)));
    range->addWidget(minSpinBox);
    range->addWidget(zLabel);
    range->addWidget(maxSpinBox);
    range->addWidget(ckBox);
    range->addStretch();
    frameLayout->addLayout(range);
    layout->addWidget(frame);
    connect(minSpinBox, &QSpinBox::editingFinished, this, &RightToolBar::checkMinPage);
    connect(maxSpinBox, &QSpinBox::editingFinished, this, &RightToolBar::checkMaxPage);
    connect(ckBox, &QCheckBox::clicked, this, [this](bool checked) {
        // Ticked again, "全部页" means every page, whatever range was typed while it was off.
        if (checked)
            resetRange();
        minSpinBox->setEnabled(!checked);
        maxSpinBox->setEnabled(!checked);
        emit allPagesCheck(checked);
    });

    // 5. Cross-page style.
    m_frame = new QWidget(m_batchWidget);
    m_frame->setFixedHeight(z(42));
    QVBoxLayout* styleLayout = new QVBoxLayout(m_frame);
    styleLayout->setContentsMargins(0, 0, 0, 0);
    styleLayout->setSpacing(2);
    QLabel* styleLabel = new QLabel(QStringLiteral("齐缝样式"), m_frame);
    styleLabel->setStyleSheet(labelStyle);
    styleBox = new QComboBox(m_frame);
    styleBox->addItems({QStringLiteral("单侧多页"), QStringLiteral("双侧对开")});
    styleBox->setFixedSize(z(165), z(22));
    styleBox->setStyleSheet(comboStyle);
    styleLayout->addWidget(styleLabel);
    styleLayout->addWidget(styleBox);
    layout->addWidget(m_frame);
    connect(styleBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &RightToolBar::on_styleBox_currentIndexChanged);

    // 6. Slice shares.
    m_frame1 = new QWidget(m_batchWidget);
    m_frame1->setFixedWidth(z(175));
    QVBoxLayout* shares = new QVBoxLayout(m_frame1);
    shares->setContentsMargins(0, 0, 0, 0);
    shares->setSpacing(z(6));
    const QString radioStyle =
        QStringLiteral("QToolButton{border:none;image:url(:/usercenter/Resources/images/usercenter/radio_off.png);}"
                       "QToolButton:checked{image:url(:/usercenter/Resources/images/usercenter/radio_on.png);}");
    const QString descStyle =
        QStringLiteral("QLabel{font-weight:normal;color:#5A5A5A;font-size:%1px;}").arg(toFixString(8.5));
    btnBatchGroup = new QButtonGroup(this);
    btnBatchGroup->setExclusive(true);
    toolBtn1 = new QToolButton(m_frame1);
    toolBtn2 = new QToolButton(m_frame1);
    for (QToolButton* b : {toolBtn1, toolBtn2})
    {
        b->setCheckable(true);
        b->setFixedSize(z(9), z(9));
        b->setStyleSheet(radioStyle);
    }
    btnBatchGroup->addButton(toolBtn1, 0);
    btnBatchGroup->addButton(toolBtn2, 1);
    toolBtn2->setChecked(true);
    QLabel* desc1 = new QLabel(QStringLiteral("首页占比"), m_frame1);
    QLabel* desc2 = new QLabel(QStringLiteral("%，其余平均分配"), m_frame1);
    QLabel* desc3 = new QLabel(QStringLiteral("平均分配"), m_frame1);
    for (QLabel* l : {desc1, desc2, desc3})
        l->setStyleSheet(descStyle);
    desc2->setFixedWidth(z(72));
    spinBox = new QSpinBox(m_frame1);
    spinBox->setRange(1, 99);
    spinBox->setValue(10);
    spinBox->setFixedSize(z(32), z(15));
    spinBox->setStyleSheet(spinStyle.arg(QStringLiteral("#31CA84"), QStringLiteral("#23B769"), toFixString(8),
                                         toFixString(7), QStringLiteral(":/Resources/images/up_arrow_green.png"),
                                         toFixString(4), QStringLiteral(":/Resources/images/down_arrow_green.png")));
    QHBoxLayout* row1 = new QHBoxLayout;
    row1->setSpacing(z(3));
    row1->addWidget(toolBtn1);
    row1->addWidget(desc1);
    row1->addWidget(spinBox);
    row1->addWidget(desc2);
    row1->addStretch();
    QHBoxLayout* row2 = new QHBoxLayout;
    row2->setSpacing(z(3));
    row2->addWidget(toolBtn2);
    row2->addWidget(desc3);
    row2->addStretch();
    shares->addLayout(row1);
    shares->addLayout(row2);
    layout->addWidget(m_frame1);
    connect(btnBatchGroup, &QButtonGroup::idClicked, this, &RightToolBar::onButtonQfClicked);

    // 7. Preview.
    pushBtn = new QPushButton(QStringLiteral("预览签署效果"), m_batchWidget);
    pushBtn->setFixedSize(z(170), z(26));
    pushBtn->setStyleSheet(QStringLiteral("QPushButton{background:white;border:1px solid #23B769;border-radius:2px;"
                                          "color:#199956;font-size:%1px;}"
                                          "QPushButton:hover{background:#23B769;color:white;}"
                                          "QPushButton:pressed{background:#199956;color:white;}")
                               .arg(toFixString(9)));
    layout->addWidget(pushBtn);
    connect(pushBtn, &QPushButton::clicked, this, [this] {
        emit previewSign(btnGroup->checkedId(), comBox->currentIndex(), styleBox->currentIndex(),
                         btnBatchGroup->checkedId(), spinBox->value(), ckBox->isChecked(), minSpinBox->value(),
                         maxSpinBox->value());
    });

    txtLabel->hide();
    comBox->hide();
    frame->hide();
    m_frame->hide();
    m_frame1->hide();
}

void RightToolBar::initSealList(QListWidget* list)
{
    list->setMouseTracking(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setResizeMode(QListView::Adjust);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setDragDropMode(QAbstractItemView::NoDragDrop);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setContentsMargins(0, 0, 0, 0);
    list->setStyleSheet(QStringLiteral("QListView{border:none;outline:0px;}"));
    list->setItemDelegate(new resizeDelegate(list));
    list->setSpacing(5);
}

void RightToolBar::buildSealLists()
{
    m_stackedWidget = new QStackedWidget(this);

    // Page 0: no seal.
    QWidget* empty = new QWidget(m_stackedWidget);
    QVBoxLayout* emptyLayout = new QVBoxLayout(empty);
    m_showInfoText = new QLabel(QStringLiteral("没有印章信息, 请插入电子秘钥盘"), empty);
    m_showInfoText->setAlignment(Qt::AlignCenter);
    m_showInfoText->setWordWrap(true);
    m_showInfoText->setProperty("mode", QStringLiteral("gray"));
    m_huoLab = new QLabel(QStringLiteral("或"), empty);
    m_huoLab->setProperty("mode", QStringLiteral("gray"));
    m_gotoAddSeal = new QPushButton(QStringLiteral("去添加印章"), empty);
    m_gotoAddSeal->setCursor(Qt::PointingHandCursor);
    m_gotoAddSeal->setStyleSheet(
        QStringLiteral("QPushButton{background:white;border:none;border-bottom:1px solid #3FB678;color:#3FB678;"
                       "font-size:%1px;font-family:'微软雅黑';}"
                       "QPushButton:hover{border-bottom:1px solid #50C878;color:#50C878;}"
                       "QPushButton:pressed{border-bottom:1px solid #64E678;}")
            .arg(toFixString(11.5)));
    QHBoxLayout* link = new QHBoxLayout;
    link->addStretch();
    link->addWidget(m_huoLab);
    link->addWidget(m_gotoAddSeal);
    link->addStretch();
    emptyLayout->addStretch();
    emptyLayout->addWidget(m_showInfoText);
    emptyLayout->addLayout(link);
    emptyLayout->addStretch();
    connect(m_gotoAddSeal, &QPushButton::clicked, this, [this] {
        emit turnTitleBar();
        emit openUserCenterPage(1);
    });

    // Page 1: the two lists.
    m_sealStackedWidget = new QStackedWidget(m_stackedWidget);
    m_sealListWidget = new QListWidget(m_sealStackedWidget);
    m_authorSealListWidget = new QListWidget(m_sealStackedWidget);
    initSealList(m_sealListWidget);
    initSealList(m_authorSealListWidget);
    m_sealStackedWidget->addWidget(m_sealListWidget);
    m_sealStackedWidget->addWidget(m_authorSealListWidget);
    m_sealStackedWidget->setCurrentIndex(0);

    m_stackedWidget->addWidget(empty);
    m_stackedWidget->addWidget(m_sealStackedWidget);
    m_stackedWidget->setCurrentIndex(0);

    m_readKeyWaitingWidget = new ReadKeyWaitingWidget(QStringLiteral("正在读取数据..."), m_sealListWidget);
    m_readKeyWaitingWidget->hide();
}

// ---- view modes and contract states ---------------------------------------------------------

bool RightToolBar::setViewMode(Rt_View_Mode vm)
{
    ensureUi();
    if (vm == RVM_Local)
    {
        if (m_cloudSignMode == CSM_Sign_And_Start || m_cloudSignMode == CSM_Only_Start)
        {
            showRefusal(QStringLiteral("签章设置后不能使用自签模式！"));
            return false;
        }
        if (m_cloudSignMode != CSM_Sign_NoSate)
        {
            showRefusal(QStringLiteral("合同文档不能使用自签模式！"));
            return false;
        }
        const BusinessInfo* user = loggedInUser();
        if (!user)
            return true;
        if (user->userType != 0)
        {
            m_batchWidget->show();
            minSpinBox->setMaximum(std::max(1, m_pdfPages));
            maxSpinBox->setMaximum(std::max(1, m_pdfPages));
            maxSpinBox->setValue(m_pdfPages);
        }
        else
            m_batchWidget->hide();
        m_viewMode = RVM_Local;
        applyLocalLayout();
        return true;
    }
    if (vm == RVM_Cloud)
    {
        if (m_cloudSignMode != CSM_Sign_NoSate || !m_engine || m_engine->DocumentSignatureCount() <= 0)
        {
            m_batchWidget->hide();
            m_viewMode = RVM_Cloud;
            applyCloudLayout();
            if (const BusinessInfo* user = loggedInUser())
                m_mySignature->setText(user->userType != 0 ? QStringLiteral("我的印章") : QStringLiteral("我的签名"));
            return true;
        }
        showRefusal(QStringLiteral("本地文档中包含电子签名不能进行云签！"));
        return false;
    }
    return false;
}

void RightToolBar::applyLocalLayout()
{
    m_contractInfoWidget->hide();
    m_settingWidget->hide();
    m_verflag1->hide();
    m_verflag2->hide();
    m_finishWidget->hide();
    m_onlyStartText->hide();
    m_stackedWidget->show();
    setCellWidgetsSyncBtnHidden(true);
}

void RightToolBar::applyCloudLayout()
{
    setCellWidgetsSyncBtnHidden(false);
    applyCloudSignModeLayout();
}

void RightToolBar::setCloudSignMode(int mode)
{
    ensureUi();
    m_cloudSignMode = mode;
    applyCloudSignModeLayout();
}

void RightToolBar::applyCloudSignModeLayout()
{
    auto strips = [this](bool show) {
        m_verflag1->setVisible(show);
        m_verflag2->setVisible(show);
    };
    switch (m_cloudSignMode)
    {
    case CSM_Sign_NoSate:
        m_settingWidget->show();
        m_finishWidget->show();
        m_contractInfoWidget->hide();
        strips(true);
        m_stackedWidget->show();
        m_btnDeny->hide();
        break;
    case CSM_Sign_And_Start:
        m_settingWidget->show();
        m_finishWidget->show();
        m_contractInfoWidget->hide();
        strips(true);
        m_stackedWidget->show();
        m_onlyStartText->hide();
        m_btnDeny->hide();
        m_btnfinish->setText(QStringLiteral("完成签署"));
        break;
    case CSM_Only_Start:
        m_settingWidget->show();
        m_finishWidget->show();
        m_contractInfoWidget->hide();
        strips(true);
        m_stackedWidget->hide();
        m_onlyStartText->show();
        m_btnDeny->hide();
        m_btnfinish->setText(QStringLiteral("确定发起"));
        m_btnfinish->setEnabled(true);
        break;
    case CSM_Sign_Waitme:
        m_settingWidget->hide();
        m_contractInfoWidget->show();
        m_stackedWidget->show();
        m_onlyStartText->hide();
        m_btnfinish->setText(QStringLiteral("完成签署"));
        break;
    case CSM_Sign_WaitOther:
    case CSM_Sign_Completed:
    case CSM_Sign_Overdue:
    case CSM_Sign_Refuse:
        m_settingWidget->hide();
        m_finishWidget->hide();
        m_contractInfoWidget->show();
        strips(false);
        m_stackedWidget->hide();
        m_onlyStartText->hide();
        m_toolWidget->hide();
        break;
    case CSM_Sign_Drafts:
        m_contractInfoWidget->show();
        m_stackedWidget->show();
        m_onlyStartText->hide();
        m_btnDeny->hide();
        m_btnfinish->setText(QStringLiteral("完成签署"));
        break;
    default:
        // Placing seals for a contract has no layout of its own.
        break;
    }
}

void RightToolBar::setContractInfo(const ContractInfo& info, const QList<ContractSignerInfo>& signers,
                                   CloudSignMode mode)
{
    ensureUi();
    m_contractInfo = info;
    m_signers = signers;
    m_contractDetails->setInfo(info, signers, mode);
}

void RightToolBar::setParam(SignParamBusiness* p)
{
    if (!p)
        return;
    m_pSignparam = p;
    if (m_cloudSignMode == CSM_Sign_Drafts)
    {
        p->setSettingState();
        p->setTheme(m_contractInfo.contractName);
        p->setRemark(m_contractInfo.remark);
        p->setSignAtt(m_contractInfo.signOrder);
        p->setSignOrderMode(m_contractInfo.signRule == QLatin1String("serial") ? 1 : 0);
        p->setcloudSignMode(CSM_Sign_Drafts);
        p->setShowDeputyAtt(!authCompanyInfo.isEmpty());
    }
    if (!m_filePath.isEmpty())
        p->setFileName(QFileInfo(m_filePath).fileName());
}

bool RightToolBar::finishDisabled() const
{
    ensureUi();
    return !m_btnfinish->isEnabled();
}

bool RightToolBar::denyDisabled() const
{
    ensureUi();
    return !m_btnDeny->isEnabled();
}

void RightToolBar::setFinishBtnDisable(bool disabled)
{
    if (m_cloudSignMode == CSM_Sign_And_Start || m_cloudSignMode == CSM_Sign_Waitme ||
        m_cloudSignMode == CSM_Sign_Drafts)
    {
        ensureUi();
        m_btnfinish->setDisabled(disabled);
    }
}

void RightToolBar::setDenyBtnDisable(bool disabled)
{
    if (m_cloudSignMode == CSM_Sign_Waitme)
    {
        ensureUi();
        m_btnDeny->setDisabled(disabled);
    }
}

// ---- contract settings ----------------------------------------------------------------------

bool RightToolBar::setSignParamsSlots()
{
    ensureUi();
    if (!userAuthenStatus())
    {
        emit clearItemsSelection();
        return false;
    }
    if (authCompanyInfo.isEmpty())
    {
        QList<PackageInfo> packages;
        if (NetWorkBusiness::Instance()->getMyPackageBusiness(packages, nullptr) != 1)
        {
            emit clearItemsSelection();
            return false;
        }
        if (packages.isEmpty())
        {
            const auto answer = MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"),
                                                         QStringLiteral("您的余额不足，请先购买套餐！"), QSize(202, 109),
                                                         QDialogButtonBox::Save | QDialogButtonBox::Cancel,
                                                         QDialogButtonBox::Save);
            if (answer == QDialogButtonBox::Save)
            {
                emit turnTitleBar();
                emit openUserCenterPage(3);
            }
            emit clearItemsSelection();
            return false;
        }
    }
    if (QFileInfo(m_filePath).size() > 10485760)
    {
        QuickMessageBox::abort(g_topWidget, QStringLiteral("文件大于10MB，不能发起合同"), qmt_error, 2000);
        emit clearItemsSelection();
        return false;
    }
    if (m_engine && m_engine->PageCount() > 50)
    {
        QuickMessageBox::abort(g_topWidget, QStringLiteral("当前文件总页数大于50页，不能进行签署"), qmt_error, 2000);
        emit clearItemsSelection();
        return false;
    }
    const SettingsDialogRunner runner = settingsRunner();
    const int result = runner ? runner(g_topWidget, m_pSignparam, this) : int(QDialog::Rejected);
    if (result == QDialog::Accepted)
    {
        m_btnSetting->setIcon(QIcon(QStringLiteral(":/Resources/images/msg_suc.svg")));
        m_btnSetting->setIconSize(QSize(z(12), z(12)));
        m_btnSetting->setText(QStringLiteral("签章已设置"));
        return true;
    }
    emit clearItemsSelection();
    return false;
}

void RightToolBar::finishSignSetting()
{
    ensureUi();
    if (!m_pSignparam)
        return;
    if (m_pSignparam->signAtt() == 1)
    {
        m_cloudSignMode = CSM_Only_Start;
        m_btnfinish->setText(QStringLiteral("确定发起"));
        applyCloudSignModeLayout();
        emit menuSetState(false);
    }
    else if (m_pSignparam->signAtt() == 0)
    {
        m_cloudSignMode = CSM_Sign_And_Start;
        m_btnfinish->setText(QStringLiteral("确认签署"));
    }
    const BusinessInfo* user = loggedInUser();
    if (user && user->userType == 0 && m_pSignparam && m_pSignparam->showDeputyAtt())
    {
        if (m_pSignparam->deputyAtt() != 0)
        {
            m_mySignature->setChecked(true);
            on_SealsTool_Group_Clicked(0);
        }
        else
        {
            m_myauthorSeal->setChecked(true);
            on_SealsTool_Group_Clicked(1);
        }
    }
}

// ---- seal lists -----------------------------------------------------------------------------

QList<ShowSealCellWidget*> RightToolBar::rows(QListWidget* list)
{
    QList<ShowSealCellWidget*> out;
    for (int i = 0; i < list->count(); i++)
        if (ShowSealCellWidget* row = qobject_cast<ShowSealCellWidget*>(list->itemWidget(list->item(i))))
            out.append(row);
    return out;
}

void RightToolBar::showStackPage(int page)
{
    m_stackedWidget->setCurrentIndex(page);
}

void RightToolBar::setControl(bool isShow)
{
    ensureUi();
    m_huoLab->setVisible(isShow);
    m_gotoAddSeal->setVisible(isShow);
}

void RightToolBar::setCellWidgetsSyncBtnHidden(bool bhidden)
{
    ensureUi();
    for (ShowSealCellWidget* row : rows(m_sealListWidget))
        row->setSyncBtnHidden(bhidden);
}

void RightToolBar::appendRow(QListWidget* list, ShowSealCellWidget* row, QListWidgetItem* item, const QString& name)
{
    list->insertItem(list->count(), item);
    list->setItemWidget(item, row);
    list->setToolTip(name);
    connect(row, &ShowSealCellWidget::addSealSignal, this, &RightToolBar::addSealButtonClicked);
    connect(this, &RightToolBar::clearItemsSelection, row, &ShowSealCellWidget::clearSelection);
}

void RightToolBar::insertCloudSealItem(const QString& name, const QByteArray& imageData, const QString& id,
                                       bool bsealImage, bool disable)
{
    for (ShowSealCellWidget* row : rows(m_sealListWidget))
        if (row->dataSource() == SS_Cloud && row->id() == id)
            return;
    QListWidgetItem* item = new QListWidgetItem;
    ShowSealCellWidget* row = new ShowSealCellWidget(!disable, 0, bsealImage, item, 0);
    row->setTitler(name);
    row->setDataSource(SS_Cloud);
    row->setIcon(imageData);
    row->setId(id);
    if (disable)
        row->setDisabled(true);
    appendRow(m_sealListWidget, row, item, name);
}

void RightToolBar::insertAuthSealItem(const QString& name, const QByteArray& imageData, const QString& id,
                                      const AuthCompanyInfo& company, bool disable)
{
    QListWidgetItem* item = new QListWidgetItem;
    ShowSealCellWidget* row = new ShowSealCellWidget(!disable, 0, true, item, 1);
    row->setTitler(name);
    row->setDataSource(SS_Cloud);
    row->setIcon(imageData);
    row->setId(id);
    row->setAuthorizeCompanyInfo(company);
    if (disable)
        row->setDisabled(true);
    appendRow(m_authorSealListWidget, row, item, name);
}

void RightToolBar::insertKeySealItem(const KeyContainInfo& keyinfo, int isInsert)
{
    Q_UNUSED(isInsert);
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    const BusinessInfo* user = loggedInUser();
    if (!user)
        return;
    QString sealId;
    int status = -1;
    const bool haveId = client->keyGetIdBus(keyinfo.sealCode, sealId, nullptr, false, &status) == 1;
    if (!haveId)
        QuickMessageBox::abort(g_topWidget, QStringLiteral("未获取到电子印章信息！"), qmt_error, 2000);
    else if (status == 2)
    {
        DeviceBussiness::Instance()->setCount(0);
        QuickMessageBox::abort(g_topWidget, QStringLiteral("密钥盘已注销！"), qmt_error, 2000);
        showStackPage(0);
        return;
    }
    for (ShowSealCellWidget* row : rows(m_sealListWidget))
        if (row->dataSource() == SS_Key && row->deviceName() == keyinfo.deviceName)
            return;
    int mode = 2;
    if (m_viewMode == RVM_Cloud)
    {
        int state = 0;
        if (client->queryUserSealStatus(keyinfo.sealCode, user->userAccount, state) != 1)
            return;
        mode = state == 1 ? 1 : 2;
    }
    QListWidgetItem* item = new QListWidgetItem;
    ShowSealCellWidget* row = new ShowSealCellWidget(true, mode, true, item, 0);
    row->setTitler(keyinfo.sealName);
    row->setDeviceName(keyinfo.deviceName);
    row->setDataSource(SS_Key);
    row->setIcon(keyinfo.sealImageData);
    row->setSyncBtnHidden(m_viewMode != RVM_Cloud);
    if (!haveId || sealId.isEmpty())
        row->setSyncMode(0);
    appendRow(m_sealListWidget, row, item, keyinfo.sealName);
    connect(row, &ShowSealCellWidget::syncSeal, this, &RightToolBar::addSyncSealbuttonClicked);
}

void RightToolBar::setSealData(QMap<QString, KeyContainInfo>& deviceMap)
{
    ensureUi();
    m_sealListWidget->clear();
    // Nobody logged in (a notice that arrives after the logout): nothing to list.
    const BusinessInfo* user = loggedInUser();
    const bool contractStateLists = m_cloudSignMode == CSM_Sign_NoSate || m_cloudSignMode == CSM_Sign_And_Start ||
                                    m_cloudSignMode == CSM_Sign_Waitme || m_cloudSignMode == CSM_Sign_Drafts;
    if (user)
    {
        const QDateTime now = QDateTime::currentDateTime();
        for (auto it = deviceMap.constBegin(); it != deviceMap.constEnd(); ++it)
        {
            const KeyContainInfo& key = it.value();
            const QDateTime end = QDateTime::fromString(key.timeEnd, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            if (end.isValid() && end < now)
                continue;
            if (!key.readed || user->userType == 0)
                continue;
            if (key.strLicNum.trimmed() != user->userAccount.trimmed())
            {
                ORV_LOG(QStringLiteral("社会信用代码不匹配"));
                continue;
            }
            if (m_viewMode == RVM_Local)
            {
                ORV_LOG(QStringLiteral("插入到右侧边框m_viewMode == RVM_Local"));
                insertDevice(it.key());
            }
            else if (contractStateLists)
            {
                ORV_LOG(QStringLiteral("插入到右侧边框"));
                insertDevice(it.key());
            }
            // The service's answers may have ended the session.
            user = loggedInUser();
            if (!user)
                return;
        }
    }
    if (!user)
        return;

    NetWorkBusiness* client = NetWorkBusiness::Instance();
    if (m_viewMode == RVM_Local && user->userType != 0)
    {
        QList<SealInfo> seals;
        if (client->getMySealBusiness(seals, nullptr) != 1)
            return;
        for (const SealInfo& s : seals)
            if (s.certification != 0 && s.status == 1 && s.whetherOnline != 0)
                insertCloudSealItem(s.name, s.imageData, s.id, true, false);
    }
    else if (m_viewMode == RVM_Cloud && contractStateLists && user->userType != 0)
    {
        QList<SealInfo> seals;
        if (client->getMySealBusiness(seals, nullptr) != 1)
            return;
        for (const SealInfo& s : seals)
            if (s.certification != 0 && s.status == 1)
                insertCloudSealItem(s.name, s.imageData, s.id, true, false);
    }
    else if (m_viewMode == RVM_Cloud && contractStateLists)
    {
        m_myauthorSeal->show();
        QList<UserSignatureInfo> signatures;
        if (client->getUserSignatureBus(signatures, nullptr) != 1)
            return;
        for (const UserSignatureInfo& s : signatures)
            insertCloudSealItem(s.name, s.imageData, s.id, false, false);
        QList<AuthCompanyInfo> companies;
        if (client->getAuthAvailableCompanyBus(companies, nullptr) != 1)
            return;
        authCompanyInfo = companies;
        if (m_pSignparam)
            m_pSignparam->setShowDeputyAtt(!authCompanyInfo.isEmpty());
    }
    showStackPage(m_sealListWidget->count() > 0 ? 1 : 0);
}

void RightToolBar::insertDevice(QString devName)
{
    if (isHidden() || width() <= 9)
        return;
    ensureUi();
    const KeyContainInfo record = DeviceBussiness::Instance()->getKeyContainInfo(devName);
    // Only a key that reported its record can sign.
    if (record.readed)
        insertKeySealItem(record, 1);
    if (m_sealListWidget->count() > 0)
        showStackPage(1);
}

void RightToolBar::pulloutDevice(QString devName)
{
    ensureUi();
    for (int i = m_sealListWidget->count() - 1; i >= 0; i--)
    {
        QListWidgetItem* item = m_sealListWidget->item(i);
        ShowSealCellWidget* row = qobject_cast<ShowSealCellWidget*>(m_sealListWidget->itemWidget(item));
        if (row && row->dataSource() == SS_Key && row->deviceName() == devName)
        {
            m_sealListWidget->removeItemWidget(item);
            delete m_sealListWidget->takeItem(i);
        }
    }
    if (m_sealListWidget->count() == 0 && m_stackedWidget->currentIndex() == 1)
        showStackPage(0);
    DeviceBussiness* registry = DeviceBussiness::Instance();
    if (registry->getOutCount() != 0)
    {
        registry->setOutCount(0);
        QuickMessageBox::abort(g_topWidget, QStringLiteral("密钥盘已拔出"), qmt_nothing, 2000);
    }
}

void RightToolBar::beginReadUsbkeySlots()
{
    if (isHidden() || width() <= 9)
        return;
    ensureUi();
    const int h = z(192);
    m_readKeyWaitingWidget->setGeometry(5, m_sealListWidget->count() * h + 5, z(178), h);
    m_readKeyWaitingWidget->show();
    showStackPage(1);
}

void RightToolBar::on_SealsTool_Group_Clicked(int id)
{
    ensureUi();
    m_sealStackedWidget->setCurrentIndex(id);
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    const BusinessInfo* user = loggedInUser();
    if (!user)
        return;
    if (id == 0)
    {
        // A company's own list holds its seals (the canvas looks a company's choice up among
        // them); it is left as it is.
        if (user->userType != 0)
            return;
        m_sealListWidget->clear();
        QList<UserSignatureInfo> signatures;
        if (client->getUserSignatureBus(signatures, nullptr) != 1)
            return;
        const bool deputy = m_pSignparam && m_pSignparam->settingState() && m_pSignparam->showDeputyAtt();
        for (const UserSignatureInfo& s : signatures)
            insertCloudSealItem(s.name, s.imageData, s.id, false, deputy && m_pSignparam->deputyAtt() == 0);
        return;
    }
    if (id != 1)
        return;
    m_authorSealListWidget->clear();
    QList<AuthCompanyInfo> companies;
    if (client->getAuthAvailableCompanyBus(companies, nullptr) != 1)
        return;
    const bool paramsSet = m_pSignparam && m_pSignparam->settingState();
    if (paramsSet && !m_pSignparam->showDeputyAtt())
        return;
    QList<SealInfo> all;
    for (const AuthCompanyInfo& company : companies)
    {
        QList<SealInfo> seals;
        if (client->queryAuthSealBus(seals, company.authorizeCompanyId, nullptr) != 1)
            return;
        for (const SealInfo& s : seals)
        {
            bool disable = false;
            if (paramsSet)
                disable = m_pSignparam->deputyAtt() == 1 || company.authorizeCompanyId != m_pSignparam->getCompanyId();
            insertAuthSealItem(s.name, s.imageData, s.id, company, disable);
        }
        all.append(seals);
        client->setAuthSealInfo(all);
    }
}

void RightToolBar::addSealButtonClicked(int type, QString devName)
{
    ensureUi();
    if (!userAuthenStatus())
        return;
    ShowSealCellWidget* row = qobject_cast<ShowSealCellWidget*>(sender());
    const int isAuth = row ? row->isauthSeal() : 0;
    if (m_viewMode == RVM_Cloud)
    {
        if (m_cloudSignMode == CSM_Sign_Waitme)
        {
            emit setSealState_Signal(type, devName, isAuth);
            return;
        }
        if (m_pSignparam)
            m_pSignparam->setSignParamFromBtn(true);
        if (!m_pSignparam || !m_pSignparam->settingState() || m_cloudSignMode == CSM_Sign_Drafts)
        {
            if (m_pSignparam && m_pSignparam->showDeputyAtt())
            {
                m_pSignparam->setDeputyAtt(isAuth ? 0 : 1);
                if (isAuth && row)
                {
                    m_pSignparam->setComPanyId(row->authorizeCompanyInfo().authorizeCompanyId);
                    m_pSignparam->setSelectCompany(row->authorizeCompanyInfo().authorizeCompanyName);
                }
            }
            if (!setSignParamsSlots())
                return;
        }
        if (m_cloudSignMode == CSM_Only_Start)
            return;
    }
    emit setSealState_Signal(type, devName, isAuth);
}

void RightToolBar::addSyncSealbuttonClicked(QString devName, bool bsync)
{
    ensureUi();
    if (!qobject_cast<ShowSealCellWidget*>(sender()))
        return;
    const BusinessInfo* user = loggedInUser();
    if (!user)
        return;
    const KeyContainInfo record = DeviceBussiness::Instance()->getKeyContainInfo(devName);
    if (NetWorkBusiness::Instance()->syncUserSeal(record.sealCode, user->userAccount, bsync) == 1)
    {
        QuickMessageBox::abort(g_topWidget, bsync ? QStringLiteral("同步到云端成功") : QStringLiteral("取消同步成功"),
                               qmt_succ, 2000);
        QMap<QString, KeyContainInfo> keys = DeviceBussiness::Instance()->getKeyContainInfoMap();
        setSealData(keys);
    }
}

// ---- sign types and page options ------------------------------------------------------------

void RightToolBar::resetRange()
{
    minSpinBox->setEnabled(false);
    maxSpinBox->setEnabled(false);
    minSpinBox->setValue(1);
    maxSpinBox->setValue(m_pdfPages);
    m_minPage = minSpinBox->value();
    m_maxPage = maxSpinBox->value();
}

void RightToolBar::onButtonClicked(int id)
{
    ensureUi();
    if (id == 0)
    {
        m_pLabPrompt->show();
        txtLabel->hide();
        comBox->hide();
        frame->hide();
        m_frame->hide();
        m_frame1->hide();
        minSpinBox->setEnabled(false);
        maxSpinBox->setEnabled(false);
    }
    else if (id == 1)
    {
        txtLabel->show();
        comBox->show();
        frame->hide();
        ckBox->hide();
        ckBox->setChecked(false);
        m_frame->hide();
        m_frame1->hide();
        m_pLabPrompt->hide();
        comBox->setCurrentIndex(0);
        resetRange();
    }
    else if (id == 2)
    {
        frame->show();
        ckBox->show();
        ckBox->setChecked(true);
        m_frame->show();
        m_frame1->setVisible(styleBox->currentIndex() == 0);
        txtLabel->hide();
        comBox->hide();
        m_pLabPrompt->hide();
        resetRange();
        pageLabel->setStyleSheet(pageLabel->styleSheet());
    }
    m_minPage = minSpinBox->value();
    m_maxPage = maxSpinBox->value();
    emit sendSignMode(id);
}

void RightToolBar::on_comboBox_currentIndexChanged(int index)
{
    ensureUi();
    if (index == 1)
    {
        minSpinBox->setEnabled(true);
        maxSpinBox->setEnabled(true);
        frame->show();
        ckBox->hide();
    }
    else
    {
        minSpinBox->setEnabled(false);
        maxSpinBox->setEnabled(false);
        frame->hide();
    }
    emit sendSignPageMode(index);
}

void RightToolBar::on_styleBox_currentIndexChanged(int index)
{
    ensureUi();
    m_frame1->setVisible(index == 0);
    emit qfStyleId(index);
}

void RightToolBar::onButtonQfClicked(int index)
{
    emit setQfScale(index);
}

void RightToolBar::checkMinPage()
{
    if (minSpinBox->value() > maxSpinBox->value())
    {
        // Corrected before the toast: showing it moves the focus, and the other box's check
        // that this runs must see the range already put right.
        minSpinBox->setValue(maxSpinBox->value());
        QuickMessageBox::abort(g_topWidget, QStringLiteral("不能大于设置的最大页数"), qmt_nothing, 2000);
    }
    m_minPage = minSpinBox->value();
}

void RightToolBar::checkMaxPage()
{
    if (maxSpinBox->value() < minSpinBox->value())
    {
        maxSpinBox->setValue(minSpinBox->value());
        QuickMessageBox::abort(g_topWidget, QStringLiteral("不能小于设置的最小页数"), qmt_nothing, 2000);
    }
    m_maxPage = maxSpinBox->value();
}

void RightToolBar::commitPageRange()
{
    ensureUi();
    // The boxes are in use only while enabled; otherwise the range is the one the sign type set.
    if (!minSpinBox->isEnabled() || !maxSpinBox->isEnabled())
        return;
    // A value typed but not yet taken by the box (no Enter, focus still inside) counts too.
    minSpinBox->interpretText();
    maxSpinBox->interpretText();
    checkMinPage();
    checkMaxPage();
}

int RightToolBar::getQfScale() const
{
    ensureUi();
    return spinBox->value();
}

void RightToolBar::setQfScaleValue(int percent)
{
    ensureUi();
    spinBox->setValue(percent);
}
