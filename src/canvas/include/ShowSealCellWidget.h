#pragma once
// One entry of the seal panel's seal lists: a seal held on a USB key, a cloud seal or handwritten
// signature of the logged-in user, or a seal a company has authorised the user to use. A title
// strip (source icon, name, expand arrow) over, when expanded, the seal picture with the button
// "我要签署" and, for key seals, the button that syncs the key's seal to the cloud service. The
// row decides nothing: it reports the user's choices to the panel through its signals.

#include "ContractRecords.h"
#include "GlobalHeader.h"

#include <QFrame>
#include <QSize>
#include <QString>

class QGraphicsDropShadowEffect;
class QLabel;
class QListWidgetItem;
class QToolButton;

class ShowSealCellWidget : public QFrame
{
    Q_OBJECT
public:
    // bPush: starts expanded; mode: sync mode (0 no sync button, 1 synced, 2 not synced);
    // bsealImage: the picture is a seal (true) or a handwritten signature; parent: the list item
    // that will carry the row (not owned); isauth: 1 for a seal authorised by a company.
    ShowSealCellWidget(bool bPush, int mode, bool bsealImage, QListWidgetItem* parent, int isauth);

    void setTitler(const QString& sealname);
    QString titler() const;
    void setDeviceName(const QString& dn) { m_deviceName = dn; }
    QString deviceName() const { return m_deviceName; }
    void setId(const QString& id) { m_cloudSealId = id; }
    QString id() const { return m_cloudSealId; }
    void setAuthorizeCompanyInfo(const AuthCompanyInfo& info) { m_authCompanyInfo = info; }
    AuthCompanyInfo authorizeCompanyInfo() const { return m_authCompanyInfo; }
    int isauthSeal() const { return m_isauth; }
    // The picture as encoded image bytes (format told by the data).
    void setIcon(const QByteArray& data);
    void setDataSource(SealSource ss);
    SealSource dataSource() const { return m_dataSource; }
    void setSyncMode(int mode);
    int syncMode() const { return m_signMode; }
    void setSyncBtnHidden(bool hidden);
    // Expanded (bBtn false: bPush is the new state) or toggled from bPush (bBtn true).
    void setPushState(bool bPush, bool bBtn);
    bool isPushed() const { return m_bPush; }

    QLabel* pictureLabel() const { return m_icon; }
    QLabel* arrowLabel() const { return m_btnPush; }
    QWidget* titleStrip() const { return m_topWidget; }
    QWidget* lowerArea() const { return m_bottomWidget; }
    QToolButton* signButton() const { return m_btnAddSeal; }
    QToolButton* syncButton() const { return m_btnSyncCloud; }
    QGraphicsDropShadowEffect* shadow() const { return m_windowShadow; }

signals:
    // "我要签署": type 1 key (string: device name), 2 cloud (string: cloud seal id).
    void addSealSignal(int type, QString id);
    // The user confirmed syncing (true) or cancelling the sync (false) of the key's seal.
    void syncSeal(QString deviceName, bool bsyncSeal);

public slots:
    // The seal choice ended: "我要签署" unchecked.
    void clearSelection();
    void addSealbuttonClicked();
    void addSyncSealbuttonClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSize pushSize;
    QSize nopushSize;
    QSize iconSize;
    QString m_deviceName;
    QString m_cloudSealId;
    bool m_bPush = false;
    int m_signMode = 0;
    bool m_bSealImage = true;
    QWidget* m_bottomWidget = nullptr;
    QWidget* m_topWidget = nullptr;
    QLabel* m_icon = nullptr;
    QLabel* m_titlerIcon = nullptr;
    QLabel* m_titlerText = nullptr;
    QLabel* m_btnPush = nullptr;
    QToolButton* m_btnAddSeal = nullptr;
    QToolButton* m_btnSyncCloud = nullptr;
    SealSource m_dataSource = SS_NO;
    AuthCompanyInfo m_authCompanyInfo;
    QListWidgetItem* m_listWidgetItem = nullptr;
    QGraphicsDropShadowEffect* m_windowShadow = nullptr;
    int m_isauth = 0;
};
