#pragma once
// The document tool bar of the signing workspace, a white strip above the document tabs: file
// commands, the pointer tools, the annotation tools with their style popups, the two signing
// tools, the zoom box and the page-layout buttons. It holds no per-document state: its signals
// ask the workspace for operations on the current tab's canvas, and the workspace shows the
// current canvas's tool, layout, zoom and enabled controls on it whenever the tab changes.

#include <QColor>
#include <QFrame>
#include <QToolButton>

class Menu;
class QButtonGroup;
class QComboBox;
class QPushButton;
class Widget;

// A tool that tells, on mouse release, whether the user chose it anew (buttonDown) or clicked
// it again while it was the chosen one (buttonUp).
class ToolButton : public QToolButton
{
    Q_OBJECT
public:
    explicit ToolButton(QWidget* parent = nullptr) : QToolButton(parent) {}

signals:
    void buttonDown();
    void buttonUp();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class MenuBar : public QFrame
{
    Q_OBJECT
public:
    explicit MenuBar(QWidget* parent = nullptr);

    int oldOperateCheckedid() const { return m_oldOperateBtn; }
    void setoldRealCheckid(int id) { m_realCheckId = id; }
    int realCheckId() const { return m_realCheckId; }
    ToolButton* getSignatureTbn() const { return m_signatureTbn; }
    ToolButton* getCloudsignatureTbn() const { return m_cloudsignatureTbn; }

    // The checked tool (MouseState id, -1 when none), the checked layout button (-1 when none)
    // and the zoom shown (percent, as the box's current item reads).
    int checkedTool() const;
    int checkedDisplayMode() const;
    float zoomValue() const;
    bool annotationToolsEnabled() const;
    bool signingToolsEnabled() const;
    bool controlsEnabled() const;

    // The style popups' current values.
    QColor getHighightColor() const;
    QColor getUnderlineColor() const;
    QColor getDeletelineColor() const;
    QColor getPenColor() const;
    double getPenWidth() const;
    double getOpacity() const;

    // Gives btn a popup frame that shows widget; returns the frame.
    Menu* setToolMenu(QToolButton* btn, QWidget* widget);

    QAbstractButton* toolButton(int id) const;
    QAbstractButton* layoutButton(int id) const;
    QButtonGroup* toolGroup() const { return m_operateBtnGroup; }
    QComboBox* zoomBox() const { return m_zoomValue; }
    QPushButton* openButton() const { return m_openPbn; }
    QPushButton* saveButton() const { return m_savePbn; }
    QPushButton* printButton() const { return m_printPbn; }
    QPushButton* zoomInButton() const { return m_zoominPbn; }
    QPushButton* zoomOutButton() const { return m_zoomoutPbn; }
    Menu* penMenu() const { return m_penMenu; }
    Menu* highlightMenu() const { return m_highlightMenu; }
    Menu* underlineMenu() const { return m_underlineMenu; }
    Menu* deletelineMenu() const { return m_deletelineMenu; }
    Widget* penPanel() const { return m_penMenuWidget; }
    Widget* highlightPanel() const { return m_highlightMenuWidget; }
    Widget* underlinePanel() const { return m_underlineMenuWidget; }
    Widget* deletelinePanel() const { return m_deletelineMenuWidget; }

signals:
    void open();
    void save();
    void print();
    void zoomIn();
    void zoomOut();
    void zoomValueChanged(float zoom);
    // A layout button: 0 single page, 1 continuous, 2 facing, 3 continuous facing.
    void changeDisplayMode(int type);
    // A tool chosen; its MouseState id.
    void changeOperate(int id);
    void hideRightTool();
    void setHighightColor(QColor color);
    void setUnderlineColor(QColor color);
    void setDeletelineColor(QColor color);
    void setPenAttribute(QColor color, double penwidth, double opacity);

public slots:
    // Checks the tool with MouseState id i (0 to 9) without emitting anything.
    void setOperateToolChecked(int i);
    // Checks layout button i (0 to 3) without emitting anything.
    void setDisplayToolChecked(int i);
    // Shows the zoom (percent; the fit modes and zooms between the steps leave the shown item).
    void setZoomValue(float zoom);
    // Mode 1: the annotation tools and save; mode 0: every tool that acts on the document.
    void setToolsEnabled(int mode, bool bEnabled);
    // The document holds signatures or placed seals: no annotating, no saving through the bar.
    void updateMenu(bool bDisable);
    // The two signing tools and save.
    void setDisableControl(bool isDsiable);
    // Back to the hand tool (the checked annotation or signing tool was clicked again).
    void buttonUpSlot();
    // Back to the tool chosen before a signing tool that could not be entered.
    void backLastChecked();
    void highlightMenuToHide();
    void underlineMenuToHide();
    void deletelineMenuToHide();
    void penMenuToHide();

private slots:
    void buttonClicked();
    void buttonDownSlot();
    void displayMode(int id);
    void operateSlots(int id);
    void comboBoxTextChanged(const QString& text);

private:
    // Checks tool if needed (choosing it as a click would) before its popup's values go out.
    void chooseToolOnClose(ToolButton* tool);

    QPushButton* m_openPbn = nullptr;
    QPushButton* m_savePbn = nullptr;
    QPushButton* m_printPbn = nullptr;
    QToolButton* m_handTbn = nullptr;
    QToolButton* m_selectTbn = nullptr;
    ToolButton* m_highlightTbn = nullptr;
    ToolButton* m_underlineTbn = nullptr;
    ToolButton* m_deletelineTbn = nullptr;
    ToolButton* m_textTbn = nullptr;
    ToolButton* m_penTbn = nullptr;
    ToolButton* m_handwriteTbn = nullptr;
    ToolButton* m_signatureTbn = nullptr;
    ToolButton* m_cloudsignatureTbn = nullptr;
    QComboBox* m_zoomValue = nullptr;
    QPushButton* m_zoominPbn = nullptr;
    QPushButton* m_zoomoutPbn = nullptr;
    QToolButton* m_singleMode = nullptr;
    QToolButton* m_singlecontinueMode = nullptr;
    QToolButton* m_doubleMode = nullptr;
    QToolButton* m_doublecontinueMode = nullptr;
    QButtonGroup* modeBtnGroup = nullptr;
    QButtonGroup* m_operateBtnGroup = nullptr;
    int m_oldOperateBtn = 0;
    int m_realCheckId = 0;
    int iconh = 0;
    int iconw = 0;
    int iconwplus = 0;
    Menu* m_penMenu = nullptr;
    Menu* m_underlineMenu = nullptr;
    Menu* m_deletelineMenu = nullptr;
    Menu* m_highlightMenu = nullptr;
    Widget* m_penMenuWidget = nullptr;
    Widget* m_highlightMenuWidget = nullptr;
    Widget* m_underlineMenuWidget = nullptr;
    Widget* m_deletelineMenuWidget = nullptr;
    Widget* m_textMenuWidget = nullptr;
};
