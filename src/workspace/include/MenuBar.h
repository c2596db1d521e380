#pragma once
// The document tool bar of the signing workspace, a white strip above the document tabs. It
// holds no per-document state: its signals ask the workspace for operations on the current
// tab's canvas, and the workspace shows the current canvas's tool, layout, zoom and enabled
// controls on it whenever the tab changes. The buttons themselves come with the tool bar's
// own controls; this is the bar's interface to the workspace and the canvases.

#include <QColor>
#include <QFrame>

class MenuBar : public QFrame
{
    Q_OBJECT
public:
    explicit MenuBar(QWidget* parent = nullptr);

    // The state the workspace last set, as the controls will show it.
    int oldOperateCheckedid() const { return m_oldOperateBtn; }
    int checkedTool() const { return m_checkedTool; }
    int checkedDisplayMode() const { return m_checkedDisplay; }
    float zoomValue() const { return m_zoom; }
    bool annotationToolsEnabled() const { return m_annotationEnabled; }
    bool signingToolsEnabled() const { return m_signingEnabled; }
    bool controlsEnabled() const { return m_controlEnabled; }
    void setoldRealCheckid(int id) { m_realCheckId = id; }

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
    // Shows the zoom (percent; the fit modes are negative and leave the shown zoom).
    void setZoomValue(float zoom);
    // Mode 1: the annotation tools and save; mode 0: every tool that acts on the document.
    void setToolsEnabled(int mode, bool bEnabled);
    // The document holds signatures or placed seals: no annotating, no saving through the bar.
    void updateMenu(bool bDisable);
    // The two signing tools and save.
    void setDisableControl(bool isDsiable);

private:
    int m_oldOperateBtn = 0;
    int m_realCheckId = 0;
    int m_checkedTool = 0;
    int m_checkedDisplay = -1;
    float m_zoom = 8.33f;
    bool m_annotationEnabled = true;
    bool m_signingEnabled = true;
    bool m_controlEnabled = true;
};
