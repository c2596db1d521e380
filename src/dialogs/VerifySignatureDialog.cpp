#include "VerifySignatureDialog.h"

#include "CertView.h"
#include "GlobalHeader.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

#include <cstdio>
#include <ctime>

namespace {

int scaled(double v)
{
    return int(v * screenZoom);
}

const char* const kVerifyIcons = ":/verify/Resources/images/verify/";

VerifySignatureDialog::CertViewer g_certViewer = nullptr;

QLabel* makeLabel(const QString& text, const char* mode, QWidget* parent, bool wrap = false)
{
    auto* l = new QLabel(text, parent);
    l->setProperty("mode", mode);
    l->setWordWrap(wrap);
    return l;
}

} // namespace

QString tsatime_to_time(QByteArray time)
{
    const QString unchanged = QString::fromLatin1(time);
    char month[4] = {};
    int day = 0, hour = 0, minute = 0, second = 0, year = 0;
    long fraction = 0;
    // The month name is read into a buffer of its own size: at most three letters.
    std::sscanf(time.constData(), "%3s %d %d:%d:%d.%ld %d", month, &day, &hour, &minute, &second, &fraction, &year);
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int mon = 12;
    for (int i = 0; i < 12; ++i)
        if (qstrcmp(month, months[i]) == 0)
            mon = i;
    // An unknown month name is no time: show the text as it came.
    if (mon == 12)
        return unchanged;
    struct tm tm = {};
    tm.tm_year = year - 1900;
    tm.tm_mon = mon;
    tm.tm_mday = day;
    tm.tm_hour = hour + 8;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    const time_t t = mktime(&tm);
    if (t < 0)
        return unchanged;
    struct tm local = {};
    localtime_r(&t, &local);
    char out[64];
    std::snprintf(out, sizeof out, "%d-%02d-%02d %02d:%02d:%02d.%06ld", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, fraction);
    return QString::fromLatin1(out);
}

QString tsatime_to_time1(int it)
{
    const time_t t = it;
    struct tm local = {};
    localtime_r(&t, &local);
    char out[64];
    std::snprintf(out, sizeof out, "%4.4d-%2.2d-%2.2d %2.2d:%2.2d:%2.2d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return QString::fromLatin1(out);
}

void VerifySignatureDialog::setCertViewer(CertViewer viewer)
{
    g_certViewer = viewer;
}

VerifySignatureDialog::VerifySignatureDialog(QWidget* parent)
    : ParentDialog(parent, false)
{
    setTilter(QString::fromUtf8("验证签名"));
    setFixedSize(scaled(513), scaled(400));

    // The rules go on before the pages are built, so every widget is polished with them.
    const QString sheet = QString(
        "QFrame[mode='frame']{background:white;border:1px solid #31CA84;border-radius:%1px;}"
        "QFrame[mode='frame1']{border:none;border-right:1px solid #31CA84;border-radius:%1px;}"
        "QLabel{border:none;}"
        "QLabel[mode='style1']{font-weight:bold;color:black;font-size:%2px;}"
        "QLabel[mode='style2']{font-weight:bold;color:#00A057;font-size:%3px;}"
        "QLabel[mode='style3']{font-weight:bold;color:#333333;font-size:%4px;}"
        "QLabel[mode='graystyle3']{font-weight:bold;color:#333333;font-size:%4px;background:rgba(171,174,173,25);}"
        "QLabel[mode='style4']{color:#333333;font-size:%4px;}"
        "QLabel[mode='graystyle4']{color:#333333;font-size:%4px;background:rgba(171,174,173,25);}"
        "QLabel[mode='link']{background:rgba(171,174,173,25);border:none;color:#0064ED;font-size:%4px;"
        "text-decoration:underline;}"
        "QLabel[mode='style6']{font-weight:bold;color:#1F9F64;font-size:%6px;}"
        "QLabel[mode='style66']{font-weight:bold;color:#9F1F1F;font-size:%5px;}"
        "QLabel[mode='style67']{font-weight:bold;color:#FFB555;font-size:%5px;}"
        "QLabel[mode='style5']{color:#A3A3A3;font-size:%7px;}"
        "QPushButton[mode='style1']{background:#31CA84;color:white;border:none;font-size:%5px;}"
        "QPushButton[mode='style1']:hover{background:#2CBB7B;}"
        "QPushButton[mode='style1']:pressed{background:#1B8555;}"
        "QPushButton[mode='style2']{background:white;border:1px solid #31CA84;color:#31CA84;font-size:%5px;}"
        "QPushButton[mode='style2']:hover{border-color:#19AD6A;color:#19AD6A;}"
        "QPushButton[mode='style2']:pressed{border-color:#31CA84;color:#31CA84;}")
                              .arg(toFixString(0), toFixString(18), toFixString(10.5), toFixString(9.5),
                                   toFixString(9.5), toFixString(21), toFixString(8.5));
    _content->setStyleSheet(_content->styleSheet() + sheet);

    m_contentStacked = new QStackedWidget(_content);
    m_contentStacked->addWidget(buildResultPage());
    m_contentStacked->addWidget(buildNetworkPage());
    m_contentStacked->addWidget(buildErrorPage());
    m_contentStacked->setCurrentIndex(1);
    auto* layout = new QVBoxLayout(_content);
    layout->setSpacing(0);
    layout->setMargin(0);
    layout->addWidget(m_contentStacked);


    connect(m_btnshowCert, &QPushButton::clicked, this, &VerifySignatureDialog::showSignCert);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

VerifySignatureDialog::~VerifySignatureDialog() = default;

QFrame* VerifySignatureDialog::buildFrame(QWidget* parent, QLabel*& icon, QLabel*& verdict, QFrame*& block, const QString& verdictText,
                                          const QString captions[3], QLabel* values[3], QLabel** caption0, bool grid)
{
    // Made inside the page from the start, so that the dialog's style rules apply when polished.
    auto* frame = new QFrame(parent);
    frame->setFixedHeight(scaled(58));
    frame->setProperty("mode", "frame");
    auto* h = new QHBoxLayout(frame);
    h->setMargin(0);
    h->setSpacing(0);

    block = new QFrame(frame);
    block->setProperty("mode", "frame1");
    block->setFixedWidth(scaled(118));
    auto* bl = new QHBoxLayout(block);
    icon = new QLabel(block);
    icon->setFixedSize(scaled(21), scaled(22));
    icon->setScaledContents(true);
    verdict = makeLabel(verdictText, "style2", block);
    verdict->setScaledContents(true);
    verdict->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    bl->addWidget(icon, 0, Qt::AlignVCenter);
    bl->addWidget(verdict, 0, Qt::AlignVCenter);
    bl->addStretch();
    h->addWidget(block);

    QWidget* rows = new QWidget(frame);
    auto* g = new QGridLayout(rows);
    g->setMargin(0);
    g->setSpacing(0);
    for (int r = 0; r < 3; ++r) {
        const bool gray = r != 1;
        QLabel* caption = makeLabel(captions[r], gray ? "graystyle3" : "style3", rows);
        caption->setAlignment(Qt::AlignCenter);
        if (r == 0 && caption0)
            *caption0 = caption;
        QLabel* value = values[r];
        if (!value) {
            value = makeLabel(QString(), gray ? "graystyle4" : "style4", rows, true);
            values[r] = value;
        } else {
            value->setParent(rows);
        }
        if (grid) {
            g->addWidget(caption, r, 0, 1, 2);
            g->addWidget(value, r, 2, 1, 3);
        } else {
            g->addWidget(caption, r, 0);
            g->addWidget(value, r, 1);
        }
    }
    if (grid) {
        for (int c = 0; c < 5; ++c)
            g->setColumnStretch(c, 1);
    } else {
        g->setColumnStretch(0, 2);
        g->setColumnStretch(1, 3);
    }
    h->addWidget(rows, 1);
    return frame;
}

QWidget* VerifySignatureDialog::buildResultPage()
{
    auto* page = new QWidget(m_contentStacked);
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(scaled(47), scaled(12), scaled(47), scaled(12));
    v->setSpacing(scaled(15));

    auto* top = new QHBoxLayout;
    top->addStretch();
    m_totalIcon = new QLabel(page);
    m_totalIcon->setFixedSize(scaled(15), scaled(18));
    m_totalIcon->setScaledContents(true);
    m_totalResult = makeLabel(QString(), "style1", page);
    top->addWidget(m_totalIcon);
    top->addWidget(m_totalResult);
    top->addStretch();
    v->addLayout(top);

    auto* frames = new QVBoxLayout;
    frames->setSpacing(scaled(12));
    {
        const QString caps[3] = {QString::fromUtf8("签名文档"), QString::fromUtf8("签名时间"), QString::fromUtf8("签名内容")};
        QLabel* values[3] = {};
        m_docFrame = buildFrame(page, m_docIcon, m_docResult, m_docResultBlock, QString(), caps, values, &ldoc, false);
        m_docsignedName = values[0];
        m_signedTime = values[1];
        m_docContent = values[2];
    }
    {
        const QString caps[3] = {QString::fromUtf8("根证书"), QString::fromUtf8("吊销列表"), QString::fromUtf8("证书时间")};
        QLabel* values[3] = {};
        m_certFrame = buildFrame(page, m_certIcon, m_certResult, m_certResultBlock, QString(), caps, values, nullptr, true);
        m_parentCert = values[0];
        m_certrevList = values[1];
        m_certTime = values[2];
    }
    {
        const QString caps[3] = {QString::fromUtf8("时间戳"), QString::fromUtf8("时间戳时间"), QString::fromUtf8("时间戳证书")};
        m_shawTsaCert = makeLabel(QString::fromUtf8("点击查看时间戳证书"), "link", page);
        m_shawTsaCert->setCursor(Qt::PointingHandCursor);
        m_shawTsaCert->installEventFilter(this);
        QLabel* values[3] = {nullptr, nullptr, m_shawTsaCert};
        m_tsFrame = buildFrame(page, m_tsIcon, m_tsResult, m_tsResultBlock, QString(), caps, values, nullptr, true);
        m_tsResult->setMinimumWidth(scaled(85));
        m_timeStamp = values[0];
        m_timeStamptime = values[1];
    }
    {
        const QString caps[3] = {QString::fromUtf8("使用单位"), QString::fromUtf8("印章备案机关"), QString::fromUtf8("印章备案时间")};
        QLabel* values[3] = {};
        m_recordFrame = buildFrame(page, m_recordIcon, m_recordResult, m_recordResultBlock, QString::fromUtf8("印章信息溯源"),
                                   caps, values, nullptr, false);
        m_unitName = values[0];
        m_recordCompany = values[1];
        m_recordTime = values[2];
    }
    for (QFrame* f : {m_docFrame, m_certFrame, m_tsFrame, m_recordFrame})
        frames->addWidget(f, 1);
    v->addLayout(frames);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(scaled(20));
    buttons->addStretch();
    m_btnshowCert = new QPushButton(QString::fromUtf8("查看证书"), page);
    m_btnshowCert->setProperty("mode", "style2");
    m_btnCancel = new QPushButton(QString::fromUtf8("取消"), page);
    m_btnCancel->setProperty("mode", "style1");
    for (QPushButton* b : {m_btnshowCert, m_btnCancel}) {
        b->setFixedSize(scaled(67), scaled(16));
        buttons->addWidget(b);
    }
    v->addLayout(buttons);

    m_docFrame->setObjectName("docFrame");
    m_certFrame->setObjectName("certFrame");
    m_tsFrame->setObjectName("tsFrame");
    m_recordFrame->setObjectName("recordFrame");
    return page;
}

QWidget* VerifySignatureDialog::buildNetworkPage()
{
    auto* page = new QWidget(m_contentStacked);
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(0, scaled(32), 0, scaled(15));
    v->setSpacing(scaled(15));
    v->addStretch();
    auto* picture = new QLabel(page);
    picture->setPixmap(QPixmap(QString(kVerifyIcons) + "404.svg"));
    picture->setScaledContents(true);
    picture->setFixedSize(scaled(96), scaled(72));
    v->addWidget(picture, 0, Qt::AlignHCenter);
    m_ErrorText1 = makeLabel(QString::fromUtf8("网络中断 无法完成验证"), "style6", page);
    m_ErrorText1->setAlignment(Qt::AlignCenter);
    m_ErrorText2 = makeLabel(QString::fromUtf8("验证未完成，请检查您的网络，确认网络连接后再进行验证。"), "style5", page);
    m_ErrorText2->setAlignment(Qt::AlignCenter);
    v->addWidget(m_ErrorText1);
    v->addWidget(m_ErrorText2);
    v->addStretch();
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, scaled(15), 0);
    row->addStretch();
    auto* close = new QPushButton(QString::fromUtf8("关闭"), page);
    close->setObjectName("btnNetworkClose");
    close->setProperty("mode", "style1");
    close->setFixedSize(scaled(67), scaled(16));
    row->addWidget(close);
    v->addLayout(row);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    return page;
}

QWidget* VerifySignatureDialog::buildErrorPage()
{
    auto* page = new QWidget(m_contentStacked);
    auto* v = new QVBoxLayout(page);
    v->setObjectName("verticalLayout");
    v->addItem(new QSpacerItem(20, 41, QSizePolicy::Minimum, QSizePolicy::Expanding));
    auto* h1 = new QHBoxLayout;
    h1->setObjectName("hLay1");
    h1->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    auto* img = new QLabel(page);
    img->setObjectName("pImg");
    img->setFixedSize(scaled(15), scaled(15));
    img->setScaledContents(true);
    img->setPixmap(QPixmap(QString(kVerifyIcons) + "error.svg"));
    auto* lab1 = makeLabel(QString::fromUtf8("错误"), "style66", page);
    lab1->setObjectName("pLab1");
    lab1->setAlignment(Qt::AlignCenter);
    h1->addWidget(img);
    h1->addWidget(lab1);
    h1->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    v->addLayout(h1);
    auto* h2 = new QHBoxLayout;
    h2->setObjectName("hLay2");
    h2->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    auto* lab2 = new QLabel(page);
    lab2->setObjectName("pLab2");
    m_pLabErrorText = makeLabel(QString(), "style5", page);
    m_pLabErrorText->setObjectName("pLabErrorText");
    m_pLabErrorText->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    m_pLabErrorText->setAlignment(Qt::AlignCenter);
    h2->addWidget(lab2);
    h2->addWidget(m_pLabErrorText);
    h2->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    v->addLayout(h2);
    v->addItem(new QSpacerItem(20, 41, QSizePolicy::Minimum, QSizePolicy::Expanding));
    return page;
}

void VerifySignatureDialog::setIcon(QLabel* label, const QString& name)
{
    label->setPixmap(QPixmap(QString(kVerifyIcons) + name + ".svg"));
    label->setProperty("icon", name);
}

void VerifySignatureDialog::docVerifyResult(int state, QString docName, QString time, QByteArray signCert,
                                            QString signer)
{
    if (state == 0) {
        setIcon(m_docIcon, "doc");
        m_docResult->setText(QString::fromUtf8("文档验证成功"));
        m_docContent->setText(QString::fromUtf8("文档内容未被篡改"));
    } else {
        setIcon(m_docIcon, "doc_error");
        m_docResult->setText(QString::fromUtf8("文档验证失败"));
        m_docContent->setText(QString::fromUtf8("文档内容已被篡改"));
        m_docSucc = true;
    }
    m_signCert = signCert;
    if (!docName.isEmpty()) {
        m_docsignedName->setText(docName);
    } else {
        ldoc->setText(QString::fromUtf8("签名者"));
        m_docsignedName->setText(signer);
    }
    m_signedTime->setText(time);
}

void VerifySignatureDialog::certVerifyResult(int state)
{
    // The verdict on the signer's certificate: 0 it leads to a trusted root and was valid when
    // the document was signed; 1 no chain to a trusted root (whoever it names is not
    // confirmed: a warning); 2 not valid at the signing time; 3 both; anything else: the
    // certificate could not be checked.
    const bool known = state >= 0 && state <= 3;
    const bool chainVerified = state == 0 || state == 2;
    const bool validThen = state == 0 || state == 1;
    if (state == 0) {
        setIcon(m_certIcon, "cert");
        m_certResult->setText(QString::fromUtf8("证书验证成功"));
    } else if (state == 1) {
        setIcon(m_certIcon, "cert_warning");
        m_certResult->setText(QString::fromUtf8("证书未验证"));
        m_certResult->setProperty("mode", "style67");
        m_certResult->style()->unpolish(m_certResult);
        m_certResult->style()->polish(m_certResult);
        m_certWarn = true;
    } else {
        setIcon(m_certIcon, "cert_error");
        m_certResult->setText(QString::fromUtf8("证书验证失败"));
        m_certSucc = true;
    }
    m_parentCert->setText(QString::fromUtf8(chainVerified ? "验证根证书成功" : "根证书未验证"));
    m_certTime->setText(QString::fromUtf8(validThen    ? "证书在有效期内"
                                          : known      ? "签名时证书不在有效期内"
                                                       : "证书有效期未验证"));
    // Revocation lists are not consulted.
    m_certrevList->setText(QString::fromUtf8("未检查吊销状态"));
}

void VerifySignatureDialog::timestapVerifyResult(int state, QByteArray cert, QByteArray time)
{
    if (state < 0) {
        // The signature carries no time stamp.
        m_tsFrame->hide();
        return;
    }
    if (state == 0) {
        setIcon(m_tsIcon, "ts");
        m_tsResult->setText(QString::fromUtf8("时间戳验证成功"));
        m_timeStamp->setText(QString::fromUtf8("时间戳有效"));
    } else {
        setIcon(m_tsIcon, "ts_error");
        m_tsResult->setText(QString::fromUtf8("时间戳验证失败"));
        m_timeStamp->setText(QString::fromUtf8("时间戳验证无效"));
        m_timestampSucc = true;
    }
    m_tsCert = cert;
    m_timeStamptime->setText(tsatime_to_time(time));
}

void VerifySignatureDialog::sourceInfo(QString unitName, QString sealrecordUnit, QString sealrecordTime)
{
    m_recordIcon->setPixmap(QPixmap(":/Resources/images/verify/suyuan.svg"));
    m_recordIcon->setProperty("icon", "suyuan");
    if (unitName.isEmpty() || sealrecordUnit.isEmpty() || sealrecordTime.isEmpty()) {
        m_recordFrame->hide();
        return;
    }
    bool ok = false;
    int seconds = sealrecordTime.toInt(&ok);
    if (!ok)
        seconds = 0;
    if (seconds > 946656000)
        sealrecordTime = tsatime_to_time1(seconds);
    m_unitName->setText(unitName);
    m_recordCompany->setText(sealrecordUnit);
    m_recordTime->setText(sealrecordTime);
}

void VerifySignatureDialog::result(int nRet)
{
    if (nRet == 0) {
        m_contentStacked->setCurrentIndex(0);
        if (m_docSucc || m_certSucc || m_timestampSucc) {
            m_totalIcon->setFixedSize(scaled(15), scaled(15));
            m_totalIconPath = QString(kVerifyIcons) + "error.svg";
            m_totalResult->setText(QString::fromUtf8("签章无效！"));
        } else if (m_certWarn) {
            // The document is as signed, but nothing confirms who signed it.
            m_totalIcon->setFixedSize(scaled(15), scaled(15));
            m_totalIconPath = QString(kVerifyIcons) + "warning.svg";
            m_totalResult->setText(QString::fromUtf8("签章有效，但签名者身份未验证！"));
        } else {
            m_totalIcon->setFixedSize(scaled(15), scaled(18));
            m_totalIconPath = QString(kVerifyIcons) + "medal.svg";
            m_totalResult->setText(QString::fromUtf8("签章有效！"));
        }
        m_totalIcon->setPixmap(QPixmap(m_totalIconPath));
    } else if (nRet == 1) {
        m_contentStacked->setCurrentIndex(1);
    } else if (nRet == 40000) {
        m_ErrorText1->setText(QString::fromUtf8("签名验证服务异常"));
        m_ErrorText2->setText(QString::fromUtf8("证书或签名服务调用异常，请联系管理员"));
        m_contentStacked->setCurrentIndex(1);
    }
}

void VerifySignatureDialog::resizeInterface()
{
    const int hidden = int(m_tsFrame->isHidden()) + int(m_recordFrame->isHidden());
    if (hidden == 2)
        setFixedSize(scaled(513), scaled(274));
    else if (hidden == 1)
        setFixedSize(scaled(513), scaled(330));
}

QString VerifySignatureDialog::errorText(int errorCode)
{
    switch (errorCode) {
    case 400: return QString::fromUtf8("此此文件中设置了密码不能验证");
    case 401: return QString::fromUtf8("此文件已加密不能进行验证");
    case 402: return QString::fromUtf8("此文件已损坏不能进行验证");
    case 3051:
    case 3052: return QString::fromUtf8("http请求接收到的数据为空");
    case 3053: return QString::fromUtf8("签名值为空");
    case 3054: return QString::fromUtf8("签名域没有签名");
    case 3055: return QString::fromUtf8("不支持的签名格式");
    case 3056: return QString::fromUtf8("验证失败, 解析P7签名值错误");
    case 3057: return QString::fromUtf8("验证失败，解析签名证书失败");
    case 3058: return QString::fromUtf8("验证失败，解析签名证书公钥失败");
    case 3110: return QString::fromUtf8("制章人证书时间已过期");
    default: break;
    }
    // The seal checks each name their own failure; the expiry line of 3110 does not belong to them.
    static const char* const sealTexts[] = {
        "制章人证书用法错误", "电子印章已过期", "签名时间超出了电子印章有效期", "签章人证书已过期",
        "签名时间超出了证书有效期", "签章人证书用途错误", "签章人证书没在电子印章证书列表内",
        "电子印章制作时间不在\n印章有效期内", "电子印章制作时间不在\n签章人证书有效期内",
        "电子印章制作时间不在\n制章人证书有效期内", "签名时间不在电子印章制作时间\n与电子印章结束时间范围内",
        "验证电子印章签名失败"};
    if (errorCode >= 3111 && errorCode <= 3122)
        return QString::fromUtf8(sealTexts[errorCode - 3111]);
    return QString();
}

void VerifySignatureDialog::setError(int errorCode)
{
    if (m_pLabErrorText)
        m_pLabErrorText->setText(errorText(errorCode));
    m_contentStacked->setCurrentIndex(2);
    setFixedSize(scaled(184), scaled(128));
}

void VerifySignatureDialog::onFinish()
{
    result(0);
}

void VerifySignatureDialog::waitDocVerify()
{
    if (!m_waitMovie)
        m_waitMovie = new QMovie(":/Resources/loading.gif", QByteArray(), this);
    m_totalResult->setText(QString::fromUtf8("正在验证中..."));
    for (QLabel* l : {m_docResult, m_certResult, m_tsResult})
        l->setMovie(m_waitMovie);
    const QString wait = QString::fromUtf8(" 请稍等....");
    for (QLabel* l : {m_docsignedName, m_signedTime, m_docContent, m_parentCert, m_certrevList, m_certTime,
                      m_timeStamp, m_timeStamptime})
        l->setText(wait);
    m_waitMovie->start();
}

void VerifySignatureDialog::showCert(const QByteArray& cert)
{
    if (g_certViewer) {
        g_certViewer(cert);
        return;
    }
    CCertView view(cert, g_topWidget);
    view.exec();
}

void VerifySignatureDialog::showSignCert()
{
    showCert(m_signCert);
}

void VerifySignatureDialog::showTsCert()
{
    showCert(m_tsCert);
}

bool VerifySignatureDialog::eventFilter(QObject* obj, QEvent* event)
{
    if (obj == m_shawTsaCert && event->type() == QEvent::MouseButtonRelease)
        showTsCert();
    return ParentDialog::eventFilter(obj, event);
}

int VerifySignatureDialog::currentPage() const
{
    return m_contentStacked->currentIndex();
}

QString VerifySignatureDialog::verdictText() const
{
    return m_totalResult->text();
}

QLabel* VerifySignatureDialog::label(const char* name) const
{
    const QByteArray n(name);
    if (n == "ldoc") return ldoc;
    if (n == "docResult") return m_docResult;
    if (n == "docsignedName") return m_docsignedName;
    if (n == "signedTime") return m_signedTime;
    if (n == "docContent") return m_docContent;
    if (n == "docIcon") return m_docIcon;
    if (n == "certResult") return m_certResult;
    if (n == "certIcon") return m_certIcon;
    if (n == "certTime") return m_certTime;
    if (n == "parentCert") return m_parentCert;
    if (n == "certrevList") return m_certrevList;
    if (n == "tsResult") return m_tsResult;
    if (n == "tsIcon") return m_tsIcon;
    if (n == "timeStamp") return m_timeStamp;
    if (n == "timeStamptime") return m_timeStamptime;
    if (n == "shawTsaCert") return m_shawTsaCert;
    if (n == "unitName") return m_unitName;
    if (n == "recordCompany") return m_recordCompany;
    if (n == "recordTime") return m_recordTime;
    if (n == "ErrorText1") return m_ErrorText1;
    if (n == "ErrorText2") return m_ErrorText2;
    if (n == "pLabErrorText") return m_pLabErrorText;
    return nullptr;
}

QWidget* VerifySignatureDialog::frame(const char* name) const
{
    const QByteArray n(name);
    if (n == "doc") return m_docFrame;
    if (n == "cert") return m_certFrame;
    if (n == "ts") return m_tsFrame;
    if (n == "record") return m_recordFrame;
    return nullptr;
}
