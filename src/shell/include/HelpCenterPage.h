#pragma once
// The help centre, page 5 of the main window: a picture band titled "帮助中心", the tab column
// ("操作指南", "关于Orvessa", "常见问题") and beside it the guide (seven step buttons over one
// picture, enlarged on a click) or the about panel with the version from Version.dat.
// "常见问题" opens the help web page named in config.ini in the desktop's browser.

#include <QFrame>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QStackedWidget;
class QToolButton;

// The text of a version file: the bytes as UTF-8 up to the first NUL byte or the end, nothing
// trimmed; empty when the file cannot be read.
QString readVersionText(const QString& path);
// The text of Version.dat beside the executable.
QString getFileVersion();

// The enlarged picture over a dimmed screen: a click anywhere, or releasing Escape, closes it,
// and a closed one is deleted.
class MaxImageWidget : public QWidget
{
    Q_OBJECT
public:
    MaxImageWidget(QPixmap pixmap, QWidget* parent = nullptr);
    ~MaxImageWidget() override;

    QLabel* imageLabel() const { return m_label; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_label = nullptr;
};

class HelpCenterPage : public QFrame
{
    Q_OBJECT
public:
    // The guide's steps.
    static constexpr int StepCount = 7;
    struct Step
    {
        const char* text;
        const char* picture;
        int width;
        int height;
    };
    static const Step kSteps[StepCount];

    explicit HelpCenterPage(QWidget* parent = nullptr);
    ~HelpCenterPage() override;

    QStackedWidget* stackWidget() const { return m_stackWidget; }
    QButtonGroup* tabGroup() const { return m_tabGroup; }
    QToolButton* guideTab() const { return m_guideTab; }
    QToolButton* aboutTab() const { return m_aboutTab; }
    QToolButton* faqButton() const { return m_faqBtn; }
    QList<QAbstractButton*> stepButtons() const { return buttons; }
    QLabel* imageLabel() const { return m_imgLabel; }
    QLabel* versionLabel() const { return m_versionLabel; }
    QPixmap currentPicture() const { return m_pixMap; }
    int currentStep() const { return m_currentStep; }
    // The enlarged picture on show, if any.
    MaxImageWidget* enlargedPicture() const { return m_maxImage; }
    // The address "常见问题" opens: "addressUrl/help_url" of config.ini, Base64-decoded.
    static QString helpUrl();

public slots:
    // Shows panel id (0 guide, 1 about).
    void onButtonClicked(int id);
    // Selects the step of btn: its button filled green, its picture shown.
    void btnGroupClicked(QAbstractButton* btn);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* initWidget2();
    QWidget* initWidget3();

    QStackedWidget* m_stackWidget = nullptr;
    QButtonGroup* m_tabGroup = nullptr;
    QButtonGroup* m_btnGroup = nullptr;
    QList<QAbstractButton*> buttons;
    QToolButton* m_guideTab = nullptr;
    QToolButton* m_aboutTab = nullptr;
    QToolButton* m_faqBtn = nullptr;
    QLabel* m_imgLabel = nullptr;
    QLabel* m_versionLabel = nullptr;
    QPixmap m_pixMap;
    int m_currentStep = -1;
    QPointer<MaxImageWidget> m_maxImage;
};
