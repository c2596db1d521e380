#include "AddSealDialog.h"

#include "ContactsShared.h"
#include "GlobalHeader.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "UserCenterShared.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QSize kBoxSize(280, 160);

CAddSealDialog::FileChooser& fileChooser()
{
    static CAddSealDialog::FileChooser chooser;
    return chooser;
}

void showRefusal(QWidget* parent, const QString& text)
{
    MMessageBox::showError(parent, QStringLiteral("Orvessa"), text, kBoxSize, QDialogButtonBox::Ok,
                           QDialogButtonBox::NoButton);
}

// Why the service would not take the file as a seal picture; empty when it would. The size is
// judged in whole KiB, so 2,097,152 bytes (and up to 1,023 more) pass and 2,098,176 do not; the
// pixels are looked at only for a file of an acceptable size.
QString pictureRefusal(const QString& path)
{
    const qint64 kib = QFileInfo(path).size() / 1024;
    if (double(kib) * (1.0 / 1024) > 2)
        return QStringLiteral("上传的印章图片过大！请确保所上传的图片大小小于2M！");
    const QImage picture(path);
    if (picture.height() != 166 || picture.width() != 166)
        return QStringLiteral("上传的印章图片像素不符！请确保所上传的图片长、宽是否均为166像素！");
    return QString();
}

QString dashedFrameStyle(const QString& radius)
{
    return QStringLiteral("QFrame#frame{border:1px dashed #31CA84;border-radius:%1px;background:white;}").arg(radius);
}

QLabel* textLabel(const QString& text, const char* colour, double fontSize, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(
        QStringLiteral("color:%1;font-size:%2px;").arg(QLatin1String(colour), toFixString(fontSize)));
    return label;
}

QPushButton* wizardButton(const QString& text, bool main, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setFixedSize(designPx(87), designPx(24));
    if (main)
        styleMainButton(button);
    else
        styleOtherButton(button);
    return button;
}

struct SealType {
    const char* text;
    const char* code;
};

// The types in the order of the type box; there is no code "03".
const SealType kSealTypes[] = {
    {"法定名称章(公章)", "01"},
    {"财务专用章", "02"},
    {"合同专用章", "04"},
    {"法定代表人名章", "05"},
};

} // namespace

// ---------------------------------------------------------------------------------------------
// CAddSealDialog

void CAddSealDialog::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

QString CAddSealDialog::chooseSealPicture()
{
    const QString caption = QStringLiteral("请选择印章图片文件");
    const QString filter = QStringLiteral("png(*.png)");
    if (fileChooser())
        return fileChooser()(nullptr, caption, QString(), filter);
    return QFileDialog::getOpenFileName(nullptr, caption, QString(), filter);
}

CAddSealDialog::CAddSealDialog(QWidget* parent)
    : ParentDialog(parent)
{
    initUserCenterResources();
    initContactsPictures();
    setTilter(QStringLiteral("添加印章"));
    setFixedSize(designPx(457), designPx(365));

    auto* frame = new QFrame(_content);
    frame->setObjectName("frame");
    frame->setFixedSize(designPx(355), designPx(165));
    frame->setStyleSheet(dashedFrameStyle(toFixString(2)));
    frImgLabel = new QLabel(frame);
    frImgLabel->setFixedSize(designPx(74), designPx(74));
    frImgLabel->setScaledContents(true);
    frImgLabel->setPixmap(QPixmap(QStringLiteral(":/usercenter/Resources/images/usercenter/seal_logo.png")));
    frImgLabel->setCursor(Qt::PointingHandCursor);
    auto* clickText = textLabel(QStringLiteral("点击上传签章图片"), "#31CA84", 10, frame);
    auto* note = textLabel(QStringLiteral("仅支持.png格式图片，文件小于2MB，长，宽均为166像素\n"
                                          "上传图片必须为透明背景且签章名称与企业名称一致"),
                           "#999999", 8.5, frame);
    note->setAlignment(Qt::AlignCenter);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setSpacing(designPx(6));
    frameLayout->addStretch();
    frameLayout->addWidget(frImgLabel, 0, Qt::AlignHCenter);
    frameLayout->addWidget(clickText, 0, Qt::AlignHCenter);
    frameLayout->addWidget(note, 0, Qt::AlignHCenter);
    frameLayout->addStretch();

    m_tutorial = new QPushButton(QStringLiteral("点击查看视频教程"), _content);
    m_tutorial->setFlat(true);
    m_tutorial->setFixedWidth(designPx(76));
    m_tutorial->setCursor(Qt::PointingHandCursor);
    m_tutorial->setStyleSheet(QStringLiteral("QPushButton{border:none;border-bottom:1px solid #3FB678;color:#3FB678;"
                                             "background:transparent;font-size:%1px;padding:0px;}")
                                  .arg(toFixString(8.5)));
    auto* stepThree = new QHBoxLayout;
    stepThree->setSpacing(0);
    stepThree->addWidget(textLabel(QStringLiteral("3、传到电脑使用PS，对图章/签章抠图（去掉白色背景）"), "#666666", 8.5, _content));
    stepThree->addWidget(m_tutorial);
    stepThree->addStretch();
    auto* help = new QVBoxLayout;
    help->setSpacing(1);
    help->addStretch();
    help->addWidget(textLabel(QStringLiteral("背景透明签名制作过程参考：\n1、在一张白纸上盖章/签章\n2、手机拍下刚刚的盖章/签章"),
                              "#666666", 8.5, _content));
    help->addLayout(stepThree);
    help->addWidget(textLabel(QStringLiteral("4、生成背景透明的PNG格式图片"), "#666666", 8.5, _content));
    help->addStretch();

    m_next = wizardButton(QStringLiteral("下一步"), true, _content);
    m_cancel = wizardButton(QStringLiteral("取消"), false, _content);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, designPx(50), 0);
    buttons->setSpacing(designPx(15));
    buttons->addStretch();
    buttons->addWidget(m_next);
    buttons->addWidget(m_cancel);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(_content);
    layout->setContentsMargins(designPx(50), 0, 0, 0);
    layout->setSpacing(designPx(15));
    layout->addStretch();
    layout->addWidget(frame);
    layout->addLayout(help);
    layout->addLayout(buttons);
    layout->addStretch();

    frImgLabel->installEventFilter(this);
    connect(m_next, &QPushButton::clicked, this, &CAddSealDialog::next);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::close);
    connect(m_tutorial, &QPushButton::clicked, this, &CAddSealDialog::openTutorial);
}

bool CAddSealDialog::eventFilter(QObject* obj, QEvent* ev)
{
    if (obj != frImgLabel)
        return ParentDialog::eventFilter(obj, ev);
    if (ev->type() != QEvent::MouseButtonPress)
        return false;
    const QString path = chooseSealPicture();
    if (path.isEmpty())
        return false;
    const QString refusal = pictureRefusal(path);
    if (!refusal.isEmpty()) {
        showRefusal(this, refusal);
        return false;
    }
    frImgLabel->setPixmap(QPixmap(path));
    imgPath = path;
    return true;
}

void CAddSealDialog::next()
{
    if (imgPath.isEmpty()) {
        showRefusal(this, QStringLiteral("您还没上传印章图片，请先上传印章图片！"));
        return;
    }
    close();
    CSealNextDialog second(imgPath, g_topWidget);
    if (second.exec() == QDialog::Accepted)
        emit addSealSucess();
}

void CAddSealDialog::openTutorial()
{
    QSettings ini(configPath, QSettings::IniFormat);
    const QByteArray address = QByteArray::fromBase64(ini.value(QStringLiteral("addressUrl/videoUrl")).toByteArray());
    if (address.isEmpty())
        return;
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(address), QUrl::TolerantMode));
}

// ---------------------------------------------------------------------------------------------
// CSealNextDialog

CSealNextDialog::CSealNextDialog(const QString& imgPath, QWidget* parent)
    : ParentDialog(parent)
    , m_sizeList{QStringLiteral("40毫米*40毫米"), QStringLiteral("20毫米*20毫米"), QStringLiteral("38毫米*38毫米")}
    , m_imgPath(imgPath)
{
    initUserCenterResources();
    setTilter(QStringLiteral("添加印章"));
    setFixedSize(designPx(457), designPx(346));

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->setModal(true);
    m_loading->setText(QStringLiteral("添加印章中..."));
    m_loading->hide();

    auto* frame = new QFrame(_content);
    frame->setObjectName("frame");
    frame->setFixedSize(designPx(355), designPx(165));
    frame->setStyleSheet(dashedFrameStyle(QString::number(1.5 * screenZoom, 'g', 3)));
    imgLabel = new QLabel(frame);
    imgLabel->setFixedSize(designPx(123), designPx(123));
    imgLabel->setScaledContents(true);
    imgLabel->setPixmap(QPixmap(m_imgPath));
    m_reupload = new QPushButton(QStringLiteral("重新上传"), frame);
    m_reupload->setFixedSize(designPx(72), designPx(20));
    styleOtherButton(m_reupload);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(0, designPx(4), 0, designPx(4));
    frameLayout->setSpacing(designPx(4));
    frameLayout->addWidget(imgLabel, 0, Qt::AlignHCenter);
    frameLayout->addWidget(m_reupload, 0, Qt::AlignHCenter);

    const char* const caption = "#333333";
    lineEdit = new QLineEdit(_content);
    lineEdit->setFixedSize(designPx(299), designPx(22));
    lineEdit->setMaxLength(20);
    auto* nameRow = new QHBoxLayout;
    nameRow->setSpacing(1);
    nameRow->addStretch();
    nameRow->addWidget(textLabel(QStringLiteral("*"), "#F3503F", 9.5, _content));
    nameRow->addWidget(textLabel(QStringLiteral("印章名称"), caption, 9.5, _content));
    nameRow->addSpacing(designPx(15));
    nameRow->addWidget(lineEdit);
    nameRow->addStretch();

    m_sealTypeCombox = new QComboBox(_content);
    m_sealTypeCombox->setFixedSize(designPx(299), designPx(22));
    m_sealTypeCombox->setView(new QListView(m_sealTypeCombox));
    for (const SealType& type : kSealTypes)
        m_sealTypeCombox->addItem(QString::fromUtf8(type.text), QString::fromLatin1(type.code));
    auto* typeRow = new QHBoxLayout;
    typeRow->setSpacing(0);
    typeRow->addStretch();
    typeRow->addWidget(textLabel(QStringLiteral("       印章类型"), caption, 9.5, _content));
    typeRow->addWidget(m_sealTypeCombox);
    typeRow->addSpacing(designPx(15));
    typeRow->addStretch();

    m_sealSizeCom = new QComboBox(_content);
    m_sealSizeCom->setFixedSize(designPx(299), designPx(22));
    m_sealSizeCom->setEditable(true);
    m_sealSizeCom->setInsertPolicy(QComboBox::NoInsert);
    m_sizeView = new QListWidget(m_sealSizeCom);
    m_sealSizeCom->setModel(m_sizeView->model());
    m_sealSizeCom->setView(m_sizeView);
    const QStringList descriptions{QStringLiteral("合同章建议此尺寸"), QStringLiteral("法人章建议此尺寸"),
                                   QStringLiteral("财务章建议此尺寸")};
    for (int i = 0; i < m_sizeList.size(); ++i) {
        auto* item = new QListWidgetItem(m_sizeView);
        item->setSizeHint(QSize(designPx(299), designPx(38)));
        auto* row = new ComBoxListWidget(m_sizeView, m_sizeList.at(i), descriptions.at(i));
        m_sizeView->setItemWidget(item, row);
        connect(row, &ComBoxListWidget::showAccount, this, &CSealNextDialog::showAccount);
    }
    m_sizeView->setStyleSheet(QStringLiteral("QListWidget::item{min-height:%1px;}").arg(designPx(38)));
    // The rows carry no text of their own: a row chosen with the keyboard shows its size too.
    connect(m_sealSizeCom, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { m_sealSizeCom->setEditText(m_sizeList.value(index)); });
    connect(m_sealSizeCom, &QComboBox::editTextChanged, this,
            [this](const QString& text) { m_sizeStr = sizeValueFor(text); });
    auto* sizeRow = new QHBoxLayout;
    sizeRow->setSpacing(0);
    sizeRow->addStretch();
    sizeRow->addWidget(textLabel(QStringLiteral("       印章尺寸"), caption, 9.5, _content));
    sizeRow->addWidget(m_sealSizeCom);
    sizeRow->addSpacing(designPx(15));
    sizeRow->addStretch();

    m_add = wizardButton(QStringLiteral("添加"), true, _content);
    m_cancel = wizardButton(QStringLiteral("取消"), false, _content);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(designPx(15));
    buttons->addStretch();
    buttons->addWidget(m_add);
    buttons->addWidget(m_cancel);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(_content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(designPx(15));
    layout->addStretch();
    layout->addWidget(frame, 1, Qt::AlignHCenter);
    layout->addLayout(nameRow);
    layout->addLayout(typeRow);
    layout->addLayout(sizeRow);
    layout->addLayout(buttons);
    layout->addStretch();
    _content->setStyleSheet(
        QStringLiteral("QLineEdit{border:1px solid #91DFBC;border-radius:2px;padding-left:4px;font-size:%1px;}")
            .arg(toFixString(10)));

    // It opens on the legal representative's seal, with that type's size shown and sent.
    m_sealTypeCombox->setCurrentIndex(3);
    sealTypeComIndexChange(3);
    connect(m_sealTypeCombox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CSealNextDialog::sealTypeComIndexChange);
    connect(m_reupload, &QPushButton::clicked, this, &CSealNextDialog::reupload);
    connect(m_add, &QPushButton::clicked, this, &CSealNextDialog::add);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::close);
}

QString CSealNextDialog::sizeValueFor(const QString& sizeText)
{
    static const QRegularExpression size(QStringLiteral("^\\s*(\\d{1,3})\\s*(?:毫米|mm)?\\s*[*xX×]\\s*(\\d{1,3})\\s*(?:毫米|mm)?\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = size.match(sizeText);
    if (!m.hasMatch())
        return QString();
    const int width = m.captured(1).toInt();
    const int height = m.captured(2).toInt();
    if (width <= 0 || height <= 0)
        return QString();
    return QStringLiteral("%1*%2").arg(width).arg(height);
}

void CSealNextDialog::sealTypeComIndexChange(int arg)
{
    int entry = -1;
    switch (arg) {
    case 0:
    case 2:
        entry = 0;
        break;
    case 1:
        entry = 2;
        break;
    case 3:
        entry = 1;
        break;
    default:
        return;
    }
    m_sealSizeCom->setEditText(m_sizeList.at(entry));
}

void CSealNextDialog::showAccount(QString arg)
{
    m_sealSizeCom->setEditText(arg);
    m_sealSizeCom->hidePopup();
}

void CSealNextDialog::reupload()
{
    const QString path = CAddSealDialog::chooseSealPicture();
    if (path.isEmpty())
        return;
    const QString refusal = pictureRefusal(path);
    if (!refusal.isEmpty()) {
        showRefusal(this, refusal);
        return;
    }
    imgLabel->setPixmap(QPixmap(path));
    m_imgPath = path;
}

void CSealNextDialog::add()
{
    if (lineEdit->text().isEmpty()) {
        showRefusal(this, QStringLiteral("印章名称不能为空，请先填写印章名称！"));
        return;
    }
    // The size sent is the one shown; a text that names no size is not sent.
    if (m_sizeStr.isEmpty()) {
        showRefusal(this, QStringLiteral("请选择或填写正确的印章尺寸，如40毫米*40毫米！"));
        return;
    }
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    const BusinessInfo* user = client->getBusinessInfo();
    if (!user)
        return;
    const QString creditCode = user->creditCode;
    m_loading->show();
    QString imageId;
    // A failed upload hides the box and is reported by the service client.
    if (!client->sealImgUpLoad(m_imgPath, QStringLiteral("private"), QStringLiteral("印章"), QStringLiteral("png"),
                               imageId, m_loading))
        return;
    if (imageId.isEmpty()) {
        m_loading->hide();
        showRefusal(this, QStringLiteral("印章图片上传失败，未收到图片编号，请重新添加！"));
        return;
    }
    const QString typeCode = m_sealTypeCombox->currentData().toString();
    if (!client->addSealBusiness(imageId, lineEdit->text(), typeCode, m_sizeStr, creditCode, m_loading))
        return;
    m_loading->hide();
    QuickMessageBox::abort(this, QStringLiteral("印章上传成功"), qmt_nothing, 2000);
    accept();
}

// ---------------------------------------------------------------------------------------------
// ComBoxListWidget

ComBoxListWidget::ComBoxListWidget(QWidget* parent, QString sizeStr, QString desStr)
    : QWidget(parent)
{
    setFixedSize(designPx(299), designPx(38));
    label = textLabel(sizeStr, "#333333", 9.5, this);
    auto* description = textLabel(desStr, "#AAAAAA", 9.5, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(designPx(8), 0, 0, 0);
    layout->setSpacing(0);
    layout->addStretch();
    layout->addWidget(label);
    layout->addWidget(description);
    layout->addStretch();
}

QString ComBoxListWidget::sizeText() const
{
    return label->text();
}

void ComBoxListWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        mouse_press = true;
}

void ComBoxListWidget::mouseReleaseEvent(QMouseEvent*)
{
    if (!mouse_press)
        return;
    mouse_press = false;
    emit showAccount(label->text());
}

// ---------------------------------------------------------------------------------------------
// VideoWebView

VideoWebView::VideoWebView(QWidget* parent)
    : ParentDialog(parent)
{
    setTilter(QStringLiteral("添加印章"));
    setFixedSize(designPx(457), designPx(365));
}
