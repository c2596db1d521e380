#pragma once
// Enumerations, records, globals and sizing helpers shared by every screen of the application.

#include <QByteArray>
#include <QDateTime>
#include <QMetaType>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

// The canvas's current tool; also the id of the tool-bar button that selects it.
enum MouseState {
    MS_Hand = 0,
    MS_Select = 1,
    MS_Highight = 2,
    MS_Underline = 3,
    MS_Deleteline = 4,
    MS_Text = 5,
    MS_Pen = 6,
    MS_Handwrite = 7,
    MS_LocalSignature = 8,
    MS_CloudSignature = 9,
};

// Page layout mode of a document view.
enum DisplayMode {
    DM_AUTOMATIC = 0,
    DM_SINGLE_PAGE = 1,
    DM_FACING = 2,
    DM_BOOK_VIEW = 3,
    DM_CONTINUOUS = 4,
    DM_CONTINUOUS_FACING = 5,
    DM_CONTINUOUS_BOOK_VIEW = 6,
};

// Where the seals on offer come from.
enum SealSource {
    SS_NO = 0,
    SS_Key = 1,
    SS_Cloud = 2,
};

// State of the cloud contract shown in a document tab.
enum CloudSignMode {
    CSM_Sign_NoSate = 0,
    CSM_Sign_AssignLocation = 1,
    CSM_Sign_And_Start = 2,
    CSM_Only_Start = 3,
    CSM_Sign_Waitme = 4,
    CSM_Sign_WaitOther = 5,
    CSM_Sign_Completed = 6,
    CSM_Sign_Overdue = 7,
    CSM_Sign_Refuse = 8,
    CSM_Sign_Drafts = 9,
};

// View mode of the seal panel.
enum Rt_View_Mode {
    RVM_NoState = 0,
    RVM_Local = 1,
    RVM_Cloud = 2,
};

// Validity of the logged-in user's cloud certificate.
struct CCertTime {
    QDateTime beginTime;
    QDateTime endTime;
    bool bIsExpiring = false;
    bool bIsExpired = false;
    bool bIsValid = false;
};

// The outcome of one signature verification; travels through queued signals.
struct CVerifyResult {
    int vcode = -1;
    int docVerifyRet = -1;
    int tsVerifyRet = -1;
    int certverifyRet = -1;
    QString signer;
    QByteArray certData;
    QString signTime;
    QByteArray tsCert;
    QByteArray tsTime;
    QString docName;
    QString sealName;
    QString sealCode;
    QString sealUnitName;
    QString sealRecordUnitName;
    QString sealRecordTime;
};

Q_DECLARE_METATYPE(CCertTime)
Q_DECLARE_METATYPE(CVerifyResult)

// The application's settings file: the file ORVESSA_CONFIG names, otherwise config.ini beside
// the executable. A run against its own service (the local stand-in) names a file of its own, so
// that a second run never redirects the first one's requests.
QString applicationConfigPath();

// Globals set during start-up.
extern QString configPath;
extern int screenWidth;
extern int screenHeight;
extern float screenZoom;
extern int scrollWidth;
extern const float fixwindowwidth;
extern const float fixwindowheight;

// The main window: parent of message boxes and toasts everywhere.
extern QWidget* g_topWidget;

// The user's cloud certificate and its validity.
extern QByteArray g_cerData;
extern CCertTime g_certTime;

// The 16 zoom levels, in percent, shared by the view model and the tool bar.
extern const float gZoomList[16];
constexpr int gZoomListCount = 16;

// Design size (for a 1024 x 768 screen) to style-sheet text: qRound(v * screenZoom + 0.5).
QString toFixString(double v);
// qRound(v * screenZoom) when bzoom, qRound(v) otherwise, as text.
QString toFixSize(double v, bool bzoom);
// qRound(v * zoom) when bzoom, qRound(v) otherwise, as text.
QString toFixSize(double v, double zoom, bool bzoom);
// Truncates toward zero; an odd result is taken from d + 1 instead.
int toEvenNumber(double d);
// Shrinks a picture to fit w x h, keeping its aspect ratio; never enlarges it.
QPixmap toFixSizePixmap(QPixmap pixmap, double w, double h);
QPixmap toFixSizePixmap(QPixmap pixmap, QSize size);
// Millimetres to points at 72 per inch.
double MMtoPixel(int mm);
// Points at 72 per inch to millimetres.
double PixeltoMM(double px);

// Rich-text builders for labels and tool tips.
QString toNeceStr(QString str);
QString htmlStr(QString top, QString bottom);
QString htmlStrLists(QStringList strlist);

// Start-up decisions, kept pure so they can be checked without a screen.
// The document to open, chosen from the full argument list (program name first).
QString startupDocumentPath(const QStringList& arguments);
// Sets screenWidth, screenHeight, screenZoom and scrollWidth from an available area.
void applyScreenMetrics(int availableWidth, int availableHeight);
// Computes the screen metrics from the primary screen's available area.
void initViewInfo();
// Registers the shared records as meta types; called once at start-up.
void registerSharedMetaTypes();
// Makes the compiled-in resources (pictures, translation) available.
void initOrvessaResources();
