// The avatar dialog of the account page.

#include "UserAccountFrame.h"

#include "GlobalHeader.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "PicturePreviewPanel.h"
#include "UserCenterShared.h"

#include <QBuffer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

HeadImgDialog::FileChooser& fileChooser()
{
    static HeadImgDialog::FileChooser chooser;
    return chooser;
}

QPushButton* dialogButton(const QString& text, const char* mode, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setProperty("mode", QLatin1String(mode));
    button->setFixedSize(designPx(87), designPx(24));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

void HeadImgDialog::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

HeadImgDialog::HeadImgDialog(QWidget* parent)
    : ParentDialog(parent, false)
{
    initUserCenterResources();
    setTilter(QStringLiteral("更改头像"));
    setFixedSize(designPx(259), designPx(252));

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->setText(QStringLiteral("头像上传中..."));
    m_loading->hide();

    m_chooseBtn = dialogButton(QStringLiteral("选择头像"), "style1", _content);
    imgframe = new PicturePreviewPanel(_content);
    imgframe->setFixedSize(designPx(123), designPx(123));
    sureBtn = dialogButton(QStringLiteral("确认更改"), "style1", _content);
    sureBtn->setEnabled(false);
    m_cancelBtn = dialogButton(QStringLiteral("取消"), "style2", _content);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sureBtn);
    buttons->addWidget(m_cancelBtn);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(_content);
    layout->setSpacing(11);
    layout->addStretch();
    layout->addWidget(m_chooseBtn, 0, Qt::AlignHCenter);
    layout->addWidget(imgframe, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);
    layout->addStretch();
    _content->setStyleSheet(
        QStringLiteral("QPushButton{font-size:%1px;border-radius:%2px;}"
                       "QPushButton[mode='style1']{background:#31CA84;color:white;border:none;}"
                       "QPushButton[mode='style1']:hover{background:#2CBB7B;}"
                       "QPushButton[mode='style1']:disabled{background:#CACACA;}"
                       "QPushButton[mode='style2']{background:white;color:#31CA84;border:1px solid #91DFBC;}")
            .arg(toFixString(9), toFixString(2)));

    connect(m_chooseBtn, &QPushButton::clicked, this, &HeadImgDialog::chooseImage);
    connect(sureBtn, &QPushButton::clicked, this, &HeadImgDialog::confirmChange);
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::close);
    connect(imgframe, &PicturePreviewPanel::senIsUpImg, this, &HeadImgDialog::getUpImg);
}

HeadImgDialog::~HeadImgDialog() = default;

void HeadImgDialog::getUpImg(bool isUpImg)
{
    if (isUpImg)
        sureBtn->setEnabled(true);
}

void HeadImgDialog::chooseImage()
{
    const QString path = fileChooser() ? fileChooser()()
                                       : QFileDialog::getOpenFileName(nullptr, QStringLiteral("选择头像图片"),
                                                                      QStringLiteral("."),
                                                                      QStringLiteral("图片 (*.png *.jpg)"));
    if (path.trimmed().isEmpty())
        return;
    // A file that does not decode changes nothing: the picture chosen before stays.
    if (QImage(path).isNull())
        return;
    imgframe->LoadPicture(path);
}

QImage HeadImgDialog::avatarImage() const
{
    const QPixmap picture = imgframe->getPixmap();
    if (picture.isNull())
        return QImage();
    const QRect crop = imgframe->getImgRectCopy().intersected(picture.rect());
    QImage image = picture.copy(crop).toImage();
    if (screenZoom > 1 && !image.isNull())
        image = image.scaled(kScaledSide, kScaledSide, Qt::KeepAspectRatio, Qt::FastTransformation);
    return image;
}

void HeadImgDialog::confirmChange()
{
    // The picture is encoded in memory: nothing is written to the working directory, which may
    // not be writable.
    const QImage image = avatarImage();
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG") || png.isEmpty()) {
        MMessageBox::showError(g_topWidget, QStringLiteral("Orvessa"), QStringLiteral("头像上传失败，请重新上传！"),
                               QSize(280, 160), QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
        return;
    }

    NetWorkBusiness* client = NetWorkBusiness::Instance();
    QString imageUrl, fileId;
    // A failed request has been reported by the service client; the user may try again.
    if (!client->fileUpLoad(QStringLiteral("tx.png"), QStringLiteral("public"), QStringLiteral("头像"),
                            QStringLiteral("application/octet-stream"), imageUrl, png, fileId, m_loading))
        return;
    if (imageUrl.isEmpty())
        return;
    QString avatarUrl;
    if (!client->registerPersonBusiness(imageUrl, avatarUrl, m_loading))
        return;
    emit senLogoData(avatarUrl);
    close();
}
