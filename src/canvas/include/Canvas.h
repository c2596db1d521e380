#pragma once
// The document view of one workspace tab: paints the pages of a DisplayModel from the render
// cache, scrolls and zooms, runs the pointer tools (hand, text selection, highlight / underline /
// strike-out, pen, handwriting, seals), keeps the seal items placed on cloud documents, and is
// where the signing, verification and deletion flows of the document start.
//
// Coordinates: "page space" is PDF points of a page, "view space" pixels of the drawing area.
// They are converted only through the model.

#include "DeviceBussiness.h"
#include "DisplayModel.h"
#include "GlobalHeader.h"
#include "ProgressDlg.h"
#include "SealRecords.h"
#include "bathSignThread.h"

#include <QColor>
#include <QCursor>
#include <QFuture>
#include <QList>
#include <QMap>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <QVector>
#include <QWidget>

#include <functional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;
class QToolButton;
class LoadingWidget;
class ProgressDlg;
class RenderCache;
class RightToolBar;
class SoftKeyboard;
class bathSignThread;

// What the pointer is doing within the current tool.
enum MouseAction {
    MA_Nothing = 0,
    MA_Drag = 1,
    MA_Draging = 2,
    MA_Select = 3,
    MA_Selecting = 4,
    MA_MoveAnnot = 5,
    MA_MoveAnnoting = 6,
    MA_AddSeal = 7,
    MA_AddSealing = 8,
    MA_AddHandWrite = 9,
    MA_AddHandWriting = 10,
};

struct WindowProperty {
    bool bshowSelection = true;
    bool bshowHighightForm = true;
};

// A seal placed on a contract or seal-authorisation document but not yet signed: a widget over
// the page that keeps its rectangle in page space, so it follows the page on scroll and zoom.
class SignItem : public QWidget
{
    Q_OBJECT
public:
    SignItem(DisplayModel* dm, int type, QWidget* parent, bool isAuthFile);
    ~SignItem() override;

    // Places the item centred on the view point p for a seal of w x h page units and keeps the
    // seal's data for the later signing.
    void addSignature(QPoint p, QByteArray image, double w, double h, QByteArray cert, QString certsn,
                      QString sealName, QString sealCode, QString sealUnitName, QString sealrecordUnitName,
                      QString sealrecordTime, QString sealId);
    void setRect(QRect rect);
    // Where the item belongs on the screen now.
    QRect getRect();
    QPoint pdfTopPos();
    QPoint pdfPos();
    QPoint pdfTopRightPos();
    QRectF pdfRect() const { return m_pdfRect; }

    int pageNo() const { return m_pageNo; }
    QString sealUnitName() const { return m_sealUnitName; }
    QByteArray sealImageData() const { return m_sealImageData; }
    QByteArray cert() const { return m_cert; }
    QString sealName() const { return m_sealName; }
    QString sealCode() const { return m_sealCode; }
    QString sealId() const { return m_sealId; }
    QString sealrecordUnitName() const { return m_sealrecordUnitName; }
    QString sealRecordTime() const { return m_sealRecordTime; }
    QSize imageSize() const { return m_imageSize; }
    QString certSn() const { return m_certSn; }
    QString signer() const { return m_signer; }
    int getSinType() const { return m_siType; }
    bool isAuthSeal() const { return m_isAuthSeal; }
    QString getT() const { return m_t; }
    QString uuid() const { return m_uuid; }
    void setIsAuthSeal(bool b) { m_isAuthSeal = b; }
    void setT(QString t) { m_t = t; }
    void setSigner(QString s) { m_signer = s; }
    void setSealImageData(QByteArray d) { m_sealImageData = d; }
    void setText(QString) {}
    void setCert(QString) {}
    // The certificate the item is signed with and its serial number.
    void setCertificate(const QByteArray& cert, const QString& sn)
    {
        m_cert = cert;
        m_certSn = sn;
    }

    // A company's seal shows without its white background; a person's picture stays as it is.
    QPixmap transparentPixmap(QImage image);
    QImage ConvertImageToTransparent(QImage image);

    QToolButton* deleteButton() const { return m_delBtn; }

    // Test seam: runs the item's context menu instead of QMenu::exec (returns the chosen action).
    static void setMenuRunner(std::function<QAction*(QMenu&)> runner);

signals:
    void deleteSelf(QString id);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void removeSelf();

    QPoint m_pos;
    QString m_uuid;
    QRectF m_pdfRect;
    QString m_signer;
    QPoint m_DestPoint;
    DisplayModel* _dm = nullptr;
    int m_siType = 0;
    int m_pageNo = -1;
    QWidget* m_parent = nullptr;
    QByteArray m_sealImageData;
    QByteArray m_cert;
    QString m_certSn;
    QString m_sealName, m_sealCode, m_sealUnitName, m_sealrecordUnitName, m_sealRecordTime;
    QSize m_imageSize = QSize(-1, -1);
    QString m_t = QStringLiteral("");
    QString m_sealId;
    QLabel* m_imgLabel = nullptr;
    QToolButton* m_delBtn = nullptr;
    bool m_isAuthFile = false;
    bool m_isAuthSeal = false;
};

class Canvas : public QWidget, public WindowControler
{
    Q_OBJECT
public:
    enum datatype { dt_nothing = 0, dt_file = 1, dt_byte = 2 };

    explicit Canvas(QWidget* parent);
    Canvas(QWidget* parent, DisplayModel* dm, RenderCache* renderCache);
    ~Canvas() override;

    // Attaches the view model (owned from now on) and the process-wide render cache, and shows
    // the warning bar when the document cannot be signed.
    void setDisplayModel(DisplayModel* dm, RenderCache* renderCach);
    void setRightToolBar(RightToolBar* right) { m_right = right; }

    // WindowControler
    DisplayModel* AsFixed() override { return _dm; }
    RenderCache* AsRenderCache() override { return _RenderCache; }
    void SetViewportSize(QSize size) override;
    // 0 repaints now (safe from the render thread: handed to the GUI thread); otherwise one
    // repaint after delay ms unless one is already pending.
    void RepaintAsync(int delay) override;
    void pageNoChanged(int pageNo) override;

    float GetZoomValue();
    void SetDisplayMode(int i);
    int GetDisplayMode();
    void ZoomToSelection(float factor, bool scrollToFit, bool relative);

    // Tools.
    void SetMouseState(MouseState i);
    int GetMouseState() const { return _mstate; }
    MouseAction GetMouseAction() const { return _mAction; }
    void setPrivateCursor(int key, bool judge);
    void adjustCursor(QPixmap pixmap, int w, int h);
    QPixmap transparentPixmap(QImage image);
    void addMarkAnnot(int type);
    void deleteAnnot(int pageNo, vq_annot* annot);

    // Signing. A seal click reaches addSignature (protected, below), which checks the certificate
    // and the page and hands over to addSigntureToPdf: a contract item on a cloud document, a
    // signature in place, or a batch / cross-page run into a new file.
    void addSigntureToPdf();
    // Asks for the signing password on the keypad (first setting one when the account has
    // none); true when the keypad accepted it.
    bool checkSignPassword();
    // The message for a failed save of the contract finishing routine.
    void msgSignError(int nret);
    // A USB key's certificate check before it signs: 0 when the key may sign.
    int writeCertToKey();
    // Drops every placed item and returns to the drag tool.
    void loginOut();
    // One fixed seal of a seal-authorisation document.
    void addAuthSealToPdf(const QPoint& po, const QByteArray& imgByte, double w, double h);
    // Signs the placed items into the document's bytes (fileArray) and reports each placement
    // to the service for the contract signer; 0 or an error code. The bytes signed are the
    // document's file, else fileByteArr when given, else the view's document; the file on disk
    // is never written. onBehalfOfCompany: the user acts for a company (every item a "seal").
    int finishSignFlow(QByteArray& fileArray, QWidget* loading, QString docName, CloudSignMode cloudMode,
                       QString contractId, QString contractJoinUserId, QByteArray fileByteArr,
                       bool onBehalfOfCompany = false);
    // The batch thread while one runs, null otherwise (never a destroyed thread).
    bathSignThread* getBatchSealThread() const;

    // Verification and deletion of signatures (also reached from the view's clicks and menu).
    virtual void verifySignature(vq_signature* signature);
    virtual void deleteSignature(int pageNo, vq_signature* signature);

    // Read-outs of the signing state for the workspace and tests.
    SealSource sealSource() const { return m_sealSource; }
    QPixmap sealCursorPixmap() const { return m_sealCursorPixmap; }
    const SealInfo& chosenSeal() const { return m_sealInfo; }
    const UserSignatureInfo& chosenSignature() const { return m_signInfo; }
    bool isBatchSigning() const { return m_isBathSign; }
    int signMode() const { return m_signMode; }
    int signPageMode() const { return m_signPageMode; }
    QString signModeName() const { return m_signModeName; }
    QString signName() const { return m_signName; }
    ProgressDlg* progressDialog() const { return m_pProgressDlg; }

    // Seal items of cloud documents.
    void adjustSignItem();
    QVector<SignItem*> getSignItems() const { return m_signItemVec; }
    // Appends a filled item to the list (the placement code of cloud documents uses it).
    void appendSignItem(SignItem* item);

    // Read-outs for the workspace and tests.
    QWidget* paintSurface() const { return _privateCanvas; }
    QScrollBar* horizontalBar() const { return _hscrollbar; }
    QScrollBar* verticalBar() const { return _vscrollbar; }
    QPushButton* pageLabel() const { return _pageNoLabel; }
    QFrame* warningBar() const { return m_showTopFrame; }
    QLabel* warningLabel() const { return m_showtoopLabel; }
    const QMap<int, QVector<QRectF>>& selection() const { return _pageHitRects; }
    QRect selectRect() const { return _selectRect; }
    int currentCursorKey() const { return m_curCursorKey; }
    const QMap<int, QCursor>& cursorTable() const { return _mapCursor; }
    int pendingStrokeCount() const { return m_allPenPath.size(); }
    bool penCommitPending() const { return m_penEndTimer != 0; }
    QPixmap* penOverlay() const { return m_doubleBufpix; }

    // Test seam: runs the view's context menus instead of QMenu::exec (returns the chosen action,
    // or null for none).
    static void setMenuRunner(std::function<QAction*(QMenu&)> runner);
    // Test seam: asks for the file a batch or cross-page run writes instead of the save dialog
    // (arguments as QFileDialog::getSaveFileName's; an empty answer cancels). Empty: the dialog.
    using SaveFileChooser = std::function<QString(QWidget* parent, const QString& caption,
                                                  const QString& suggestion, const QString& filter)>;
    static void setSaveFileChooser(SaveFileChooser chooser);

    // Test seam: fires the pending pen-commit timer now, as its expiry would.
    void commitPendingStrokes();

    bool isAuthFile = false;
    int fileType = 0;
    QString m_docName;
    int m_qfMode = 0;

signals:
    void Key_EscapeSignal();
    void zoomChanged(float);
    void pageChanged(int);
    void updateMenu(bool bDisable);
    void cancenSealingState();
    void finishReadusbKey(int pageNo, void* signature, QString sealCode);
    void loginAgain(int, QString error);
    void addSignatureList(int, QVariant variant);
    void deleteSignatureList(int, QString uuid);
    void setFinishBtnDisable(bool);
    void openPdfFile(QString fileName);
    void sigCertRenewSucess();

public slots:
    // The seal panel's choice: source 1 a USB key (variant: its device name), 2 a cloud seal or
    // handwritten signature (variant: its id; isAuth 1 for a seal authorised to a person).
    void setSealState_Slots(int sealSource, QString variant, int isAuth);
    void setHandWrite_Slots(QByteArray byte);
    void setHandWrite_Slots(QString file);
    // Certificate renewal by payment.
    void slotRenew();
    // The USB key that signs was pulled out.
    void pulloutDevice();
    void verifySignatureByName(QString name);
    void deleteItemSignature(QString uuid);
    // The USB-key scan of a deletion (runs on a pool thread; touches no widget).
    void readSealData(QMap<QString, KeyContainInfo> keyInfoMap, int pageNo, vq_signature* signature,
                      QString sealCode);

    // The seal panel's batch and cross-page modes.
    void receiveSignMode(int id);
    void receiveSignPageMode(int id);
    void qfStyleId(int id);
    void getQfScale(int index);
    void allPagesCheck(bool isCheck);

    // Progress of a batch run (delivered from the batch thread).
    void progresslots(int v, int total);
    void progresslots2(int, int) {}
    void slotStartSave();
    void slotErrorCode(int code);
    void executeresult(int ret, QString savename);
    void ThreadStop();

    void setZoomValue(float z);
    void setHighightColor(QColor color) { m_highlightColor = color; }
    void setUnderlineColor(QColor color) { m_underlineColor = color; }
    void setDeletelineColor(QColor color) { m_deltelineColor = color; }
    void setPenAttribute(QColor color, double penwidth, double opacity);
    void gotoPage(int pageno);
    void gotoPage(int pageno, QPoint pt);

private slots:
    void HorizontalScrollChanged(int value);
    void VerticalScrollChanged(int value);
    void deleteSignItem(QString uuid);
    void finishReadusbKey_Slot(int pageNo, void* signature, QString sealCode);

protected:
    bool eventFilter(QObject* obj, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // The message for a failed signing save (code != 0) from one of three tables: signing in
    // place, finishing a contract, a batch run. The lost-login codes end the placement and
    // report it instead of showing a box.
    enum SignMessageTable { SMT_Single, SMT_Contract, SMT_Batch };
    void showSignResult(int code, SignMessageTable table);
    // A click with a seal on the cursor (pos: the seal's centre in view space).
    virtual void addSignature(QPoint pos);
    // Ends a placement; success refreshes the menu's signature state.
    virtual void finishSignature(bool success);

    // For the placement code: a seal or handwriting picture on the cursor.
    void attachSealCursor(QPixmap pixmap, SealSource source, double w, double h);
    void attachHandWrite(QPixmap pixmap, const QString& file, const QByteArray& bytes = QByteArray());

    // Painting helpers.
    void PaintSelection(QPainter* painter);
    void drawFocusAnnot(QPainter* painter);
    void drawErrorSignature(QPainter* painter);
    void PaintPageFrameAndShadow(QPainter* painter, QRect bound, QRect onSrceenRect, bool presentation);

private:
    void initUi();
    void initCursor();
    void mouseLeftPressEvent(QPoint pos);
    void mouseRightPressEvent(QPoint pos);
    void mouseMoveDragEvent(QPoint pos);
    void mouseHover(QPoint pos);
    void mouseLeftRelease(QPoint pos);
    void contextMenu(QPoint pos);
    void clearSelection();
    static QAction* runMenu(QMenu& menu);

    // Signing steps.
    void signInPlace();
    void placeContractItem();
    void startBatchSigning();
    void removeSignature(int pageNo, vq_signature* signature);
    // The seal fields of the current cloud choice (a seal, or a person's own signature).
    bool isPersonalSignature() const;
    // The picture, size (page units) and seal information of the seal on the cursor: a USB
    // key's seal, a person's own signature (no seal data) or a cloud seal.
    struct SealFields {
        QByteArray picture;
        double w = 0, h = 0;
        QString name, code, unit, recordUnit, recordTime;
    };
    SealFields chosenSealFields() const;

    // Where a seal was dropped, taken at the click in page space, so that nothing that moves
    // the view while the password and the service are awaited can move the seal.
    struct SealDrop {
        int page = -1;
        QPointF center;        // the seal's centre
        QPointF rightEdge;     // the page's right edge at the centre's height
        QPointF leftEdge;      // the page's left edge at the centre's height
    };
    SealDrop m_sealDrop;
    KeyContainInfo m_deviceInfo;
    // The USB-key scan of a deletion on the pool; the view waits for it before it goes.
    QFuture<void> m_keyScan;

    QFrame* m_showTopFrame = nullptr;
    QLabel* m_showtoopLabel = nullptr;
    MouseState _mstate = MS_Hand;
    MouseAction _mAction = MA_Nothing;
    WindowProperty _winProperty;
    QMap<int, QVector<QRectF>> _pageHitRects;
    QMap<int, QCursor> _mapCursor;
    QVector<SignItem*> m_signItemVec;
    int m_curCursorKey = 0;
    QPoint _dragPoint;
    bool _dragStartPending = false;
    bool _overText = false;
    int _timeMSHand = 0;
    int _showPageLabelTimer = 0;
    QPoint _selectPoint;
    QPoint _moveAnnotPt;
    QRect _selectRect;
    DisplayModel* _dm = nullptr;
    RenderCache* _RenderCache = nullptr;
    int v = 0;
    int _hscrollValue = -1;
    int _vscrollValue = -1;
    int _timePaint = 0;
    QWidget* _privateCanvas = nullptr;
    QScrollBar* _hscrollbar = nullptr;
    QScrollBar* _vscrollbar = nullptr;
    QSize canvasSize = QSize(-1, -1);
    QPushButton* _pageNoLabel = nullptr;
    QColor m_highlightColor = Qt::yellow;
    QColor m_underlineColor = Qt::green;
    QColor m_deltelineColor = Qt::red;
    QColor m_penColor;
    double m_penWidthF = 0.0;
    double m_penOpacity = 0.0;
    QPoint m_startPt;
    QPixmap* m_doubleBufpix = nullptr;
    int m_penEndTimer = 0;
    int m_penatPageNo = -1;
    QList<PointElement> m_subPenPath;
    QList<QList<PointElement>> m_allPenPath;
    QString m_handWriteFile;
    QByteArray m_handWriteByteArray;
    SealSource m_sealSource = SS_NO;
    QPoint m_addSignPt;
    SealInfo m_sealInfo;
    UserSignatureInfo m_signInfo;
    datatype m_addDataType = dt_nothing;
    QPixmap m_sealCursorPixmap;
    QSizeF m_sealCursorSize;
    LoadingWidget* m_loading = nullptr;
    LoadingWidget* m_readKeyloading = nullptr;
    SoftKeyboard* m_softKeyboard = nullptr;
    bool m_isEngine = false;
    QPointer<ProgressDlg> m_pProgressDlg;
    QPointer<bathSignThread> m_bathsignThread;
    int m_isAuth = 0;
    bool m_isBathSign = false;
    int m_signMode = 0, m_signPageMode = 0;
    QString m_signModeName, m_signName;
    bool m_isAllPages = true;
    int m_qfIndex = 1;
    RightToolBar* m_right = nullptr;
    // Whether the file the running batch writes existed before the run: a failed run removes
    // only a file it made itself.
    bool m_batchTargetExisted = false;
    // The outcome the batch thread reported (code and file), acted on once its run is over.
    struct BatchOutcome
    {
        bool reported = false;
        int ret = 0;
        QString fileName;
    } m_batchOutcome;
};
