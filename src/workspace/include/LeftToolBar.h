#pragma once
// The collapsible side panel left of a tab's canvas, with two pages behind two tab buttons:
// "缩略图" (the page thumbnails) and "签名列表" (the signature list); and the narrow strip beside
// it whose arrow button opens and closes the panel.

#include <QPoint>
#include <QVariant>
#include <QWidget>

class QButtonGroup;
class QPushButton;
class QStackedWidget;
class SignatureListWidget;
class ThumbnailWidget;

class LeftToolBar : public QWidget
{
    Q_OBJECT
public:
    // Built hidden.
    explicit LeftToolBar(QWidget* parent = nullptr);

    // Page 0 of the stack; its page jumps are relayed as gotoPage(int).
    void addThumbnailWidget(ThumbnailWidget* thumbnail);
    // Page 1 of the stack; its signature jumps are relayed as gotoPage(int, QPoint).
    void addSignatureInfoWidget(SignatureListWidget* signList);
    // Passes a page number to the thumbnails' view interface (which leaves it without effect:
    // the current-page frame follows the canvas's pageChanged).
    void FollowPageNo(int pageno);

    ThumbnailWidget* thumbnails() const { return m_thumbNail; }
    SignatureListWidget* signatureList() const { return m_signInfoWidget; }
    QStackedWidget* stack() const { return m_stackedWidget; }
    QButtonGroup* buttons() const { return m_btnGroup; }

signals:
    void gotoPage(int pageno);
    void gotoPage(int pageno, QPoint pt);

public slots:
    // Shows the panel when push is true, hides it otherwise; id 0 or 1 also chooses that page.
    void setExtend(int id, bool push);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ThumbnailWidget* m_thumbNail = nullptr;
    SignatureListWidget* m_signInfoWidget = nullptr;
    QStackedWidget* m_stackedWidget = nullptr;
    QButtonGroup* m_btnGroup = nullptr;
};

class PushWidget : public QWidget
{
    Q_OBJECT
public:
    explicit PushWidget(QWidget* parent = nullptr);

    // Sets the open state and its arrow and asks the panel to follow (page id unless -1).
    void setPushState(int id, bool bPush);
    bool isExtended() const { return m_bExtend; }
    QPushButton* button() const { return m_btn; }
    // The arrow shown now.
    QString arrowIcon() const { return m_arrow; }

signals:
    void extend(int id, bool push);

public slots:
    // A signature was applied or a contract seal placed: a closed panel opens.
    void addSignatureToList(int type, QVariant variant);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showArrow();

    QPushButton* m_btn = nullptr;
    bool m_bExtend = false;
    QString m_arrow;
};
