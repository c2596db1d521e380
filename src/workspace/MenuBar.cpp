#include "MenuBar.h"

#include "GlobalHeader.h"
#include "ParentDialog.h"
#include "StylePopup.h"
#include "WorkspaceResources.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidgetAction>

// ---- tool button -------------------------------------------------------------------------------

void ToolButton::mouseReleaseEvent(QMouseEvent* event)
{
    QButtonGroup* g = group();
    if (!g)
        return;
    if (g->checkedId() != g->id(this) || !isChecked())
        emit buttonDown();
    if (isChecked() && isDown())
    {
        // Clicking the chosen tool again leaves it: the toolkit's release may then uncheck it.
        g->setExclusive(false);
        emit buttonUp();
    }
    QToolButton::mouseReleaseEvent(event);
    g->setExclusive(true);
}

// ---- tool bar ----------------------------------------------------------------------------------

namespace {

// The style of the bar: every named control shows its picture of the tools folder, by base name.
QString menuBarStyle()
{
    const QString dir = QStringLiteral(":/tools/Resources/images/tools/");
    QString css = QStringLiteral("#MenuBar{background:#FFFFFF;}"
                                 "QPushButton,QToolButton{background:transparent;border:none;border-radius:%1px;"
                                 "padding:%2px;}"
                                 "QToolButton:checked{background:#DDFDE8;}"
                                 "QLabel{color:#A9A9A9;}"
                                 "QMenu{background:transparent;border:none;border-radius:0px;}")
                      .arg(toFixString(1.5), toFixString(2.5));
    struct Picture
    {
        const char* name;
        const char* base;
        bool tool;
    };
    const Picture pictures[] = {
        {"openPbn", "open", false},         {"savePbn", "save", false},
        {"printPbn", "print", false},       {"handTbn", "hand", true},
        {"selectTbn", "select", true},      {"highlightTbn", "hight", true},
        {"underlineTbn", "underline", true}, {"deletelineTbn", "deleteline", true},
        {"penTbn", "handwrite", true},      {"handwriteTbn", "sign", true},
        {"zoominPbn", "zoomin", false},     {"zoomoutPbn", "zoomout", false},
        {"singleMode", "display1", true},   {"doubleMode", "display3", true},
    };
    for (const Picture& p : pictures)
    {
        const QString sel = QStringLiteral("#%1").arg(QLatin1String(p.name));
        const QString base = dir + QLatin1String(p.base);
        css += QStringLiteral("%1{image:url(%2.svg);}%1:hover{image:url(%2_checked.svg);}").arg(sel, base);
        if (p.tool)
            css += QStringLiteral("%1:checked{image:url(%2_checked.svg);}").arg(sel, base);
        else
            css += QStringLiteral("%1:pressed{image:url(%2.svg);}").arg(sel, base);
        css += QStringLiteral("%1:disabled{image:url(%2_dis.svg);}").arg(sel, base);
    }
    for (const char* sign : {"localsignTbn:local_sign", "cloudsignTbn:cloud_sign"})
    {
        const QStringList parts = QString::fromLatin1(sign).split(QLatin1Char(':'));
        const QString sel = QStringLiteral("#%1").arg(parts[0]);
        const QString base = dir + parts[1];
        css += QStringLiteral("%1{image:url(%2.svg);padding:%3px;}%1:hover,%1:checked{image:url(%2_hover.svg);}"
                              "%1:disabled{image:url(%2_dis.svg);}")
                   .arg(sel, base, toFixString(1.5));
    }
    // The four tools with a popup: a thin frame, the arrow part on the right.
    const QString popupTools = QStringLiteral("#highlightTbn,#underlineTbn,#deletelineTbn,#penTbn");
    css += QStringLiteral("%1{border:1px solid #DDFDE8;}"
                          "#highlightTbn:disabled,#underlineTbn:disabled,#deletelineTbn:disabled,#penTbn:disabled"
                          "{border:1px solid #CACACA;}"
                          "QToolButton[popupMode=\"1\"]{padding-right:%2px;}"
                          "QToolButton::menu-button{background:white;width:%3px;margin:2px;border:none;}"
                          "QToolButton::menu-button:hover{background:#DDFDE8;}"
                          "QToolButton::menu-button:pressed{background:#C5FBD8;}"
                          "#penTbn::menu-button:pressed{background:#DDE9FD;}"
                          "QToolButton::menu-arrow{image:url(%4down_arrow.svg);width:%5px;}"
                          "QToolButton::menu-arrow:disabled{image:url(%4down_arrow_dis.svg);}"
                          "#highlightTbn,#doubleMode{padding:%6px;}")
               .arg(popupTools, toFixString(10), toFixString(7), dir, toFixString(6), toFixString(1.5));
    return css;
}

} // namespace

MenuBar::MenuBar(QWidget* parent) : QFrame(parent)
{
    initWorkspaceResources();
    iconh = iconw = int(23 * screenZoom);
    iconwplus = int(30 * screenZoom);
    setFixedHeight(int(53 * screenZoom));

    const QString labelStyle = QStringLiteral("QLabel{font-size:%1px;}").arg(toFixString(8.5));
    auto boxed = [this, &labelStyle](QWidget* control, const QString& label) {
        QVBoxLayout* box = new QVBoxLayout;
        box->setSpacing(int(4 * screenZoom));
        box->addStretch();
        box->addWidget(control, 0, Qt::AlignHCenter);
        if (!label.isEmpty())
        {
            QLabel* text = new QLabel(label, this);
            text->setStyleSheet(labelStyle);
            box->addWidget(text, 0, Qt::AlignHCenter);
        }
        box->addStretch();
        return box;
    };
    auto named = [this](QAbstractButton* b, const char* name, int w, const QString& title, const QString& body) {
        if (name)
            b->setObjectName(QLatin1String(name));
        b->setFixedSize(w, iconh);
        if (!title.isEmpty())
            b->setToolTip(htmlStr(title, body));
    };

    m_openPbn = new QPushButton(this);
    named(m_openPbn, "openPbn", iconw, QStringLiteral("打开  Ctrl + O"), QStringLiteral("打开PDF文件"));
    m_openPbn->setShortcut(QKeySequence::Open);
    m_savePbn = new QPushButton(this);
    named(m_savePbn, "savePbn", iconw, QStringLiteral("保存  Ctrl + S"), QStringLiteral("保存PDF文件"));
    m_savePbn->setShortcut(QKeySequence::Save);
    m_printPbn = new QPushButton(this);
    named(m_printPbn, "printPbn", iconw, QStringLiteral("打印  Ctrl + P"), QStringLiteral("打印PDF文件"));
    m_printPbn->setShortcut(QKeySequence::Print);

    m_handTbn = new QToolButton(this);
    named(m_handTbn, "handTbn", iconw, QStringLiteral("手型工具  Alt + 1"), QStringLiteral("点击或拖拽文档平移"));
    m_handTbn->setShortcut(QKeySequence(QStringLiteral("Alt+1")));
    m_selectTbn = new QToolButton(this);
    named(m_selectTbn, "selectTbn", iconw, QStringLiteral("选择文本  Alt + 2"), QStringLiteral("用于复制选择文本"));
    m_selectTbn->setShortcut(QKeySequence(QStringLiteral("Alt+2")));

    m_highlightTbn = new ToolButton(this);
    named(m_highlightTbn, "highlightTbn", iconwplus, QStringLiteral("高亮"), QStringLiteral("用于高亮文本"));
    m_underlineTbn = new ToolButton(this);
    named(m_underlineTbn, "underlineTbn", iconwplus, QStringLiteral("下划线"), QStringLiteral("为文本添加下划线"));
    m_deletelineTbn = new ToolButton(this);
    named(m_deletelineTbn, "deletelineTbn", iconwplus, QStringLiteral("删除线"), QStringLiteral("为文本删除线"));
    m_penTbn = new ToolButton(this);
    named(m_penTbn, "penTbn", iconwplus, QStringLiteral("铅笔工具"), QStringLiteral("用于全文批注"));
    m_signatureTbn = new ToolButton(this);
    named(m_signatureTbn, "localsignTbn", iconwplus, QStringLiteral("电子签章"),
          QStringLiteral("用数字证书及备案印模对文件进行保护"));
    m_cloudsignatureTbn = new ToolButton(this);
    named(m_cloudsignatureTbn, "cloudsignTbn", iconwplus, QStringLiteral("云签章"),
          QStringLiteral("用数字证书及备案印模对文件进行保护"));

    // The text and handwriting tools belong to the group but are never shown.
    m_textTbn = new ToolButton(this);
    m_textTbn->setObjectName(QStringLiteral("textTbn"));
    m_textTbn->setFixedSize(iconw + 6, iconh);
    m_handwriteTbn = new ToolButton(this);
    m_handwriteTbn->setObjectName(QStringLiteral("handwriteTbn"));
    m_handwriteTbn->setFixedSize(iconw, iconh);

    // The style popups.
    m_highlightMenuWidget = new Widget(Widget::mark_highight, this);
    m_underlineMenuWidget = new Widget(Widget::mark_underline, this);
    m_deletelineMenuWidget = new Widget(Widget::mark_deleteline, this);
    m_penMenuWidget = new Widget(Widget::pen, this);
    m_textMenuWidget = new Widget(Widget::mark_highight, this);
    m_highlightMenu = setToolMenu(m_highlightTbn, m_highlightMenuWidget);
    m_underlineMenu = setToolMenu(m_underlineTbn, m_underlineMenuWidget);
    m_deletelineMenu = setToolMenu(m_deletelineTbn, m_deletelineMenuWidget);
    m_penMenu = setToolMenu(m_penTbn, m_penMenuWidget);
    m_penMenu->setFixedSize(int(207 * screenZoom), int(370 * screenZoom));
    // The pen's panel fills its frame, whose margins leave room for the shadow only.
    const QMargins frame = m_penMenu->contentsMargins();
    m_penMenuWidget->setFixedSize(m_penMenu->width() - frame.left() - frame.right(),
                                  m_penMenu->height() - frame.top() - frame.bottom());
    QWidgetAction* textAction = new QWidgetAction(this);
    textAction->setDefaultWidget(m_textMenuWidget);
    m_textTbn->addAction(textAction);
    m_textTbn->setPopupMode(QToolButton::MenuButtonPopup);
    m_textTbn->hide();
    m_handwriteTbn->hide();
    connect(m_highlightMenu, &QMenu::aboutToHide, this, &MenuBar::highlightMenuToHide);
    connect(m_underlineMenu, &QMenu::aboutToHide, this, &MenuBar::underlineMenuToHide);
    connect(m_deletelineMenu, &QMenu::aboutToHide, this, &MenuBar::deletelineMenuToHide);
    connect(m_penMenu, &QMenu::aboutToHide, this, &MenuBar::penMenuToHide);

    // The zoom box: the levels of the zoom list, never a typed value.
    m_zoomValue = new QComboBox(this);
    m_zoomValue->setView(new QListView(m_zoomValue));
    for (int i = 0; i < gZoomListCount; i++)
        m_zoomValue->addItem(QStringLiteral("%1%").arg(double(gZoomList[i]), 0, 'g', 6));
    m_zoomValue->setMaxVisibleItems(20);
    m_zoomValue->setFixedSize(int(60 * screenZoom), int(18 * screenZoom));
    m_zoomValue->setStyleSheet(QStringLiteral("QComboBox{font-size:%1px;}").arg(toFixString(8.5)));
    m_zoominPbn = new QPushButton(this);
    named(m_zoominPbn, "zoominPbn", iconw, QStringLiteral("放大"), QStringLiteral("放大文档"));
    m_zoomoutPbn = new QPushButton(this);
    named(m_zoomoutPbn, "zoomoutPbn", iconw, QStringLiteral("缩小"), QStringLiteral("缩小文档"));

    m_singleMode = new QToolButton(this);
    named(m_singleMode, nullptr, iconw, QString(), QString());
    m_singlecontinueMode = new QToolButton(this);
    named(m_singlecontinueMode, "singleMode", iconw, QStringLiteral("单页"), QStringLiteral("单页连续浏览文档"));
    m_doubleMode = new QToolButton(this);
    named(m_doubleMode, nullptr, iconw, QString(), QString());
    m_doublecontinueMode = new QToolButton(this);
    named(m_doublecontinueMode, "doubleMode", iconw, QStringLiteral("双页"), QStringLiteral("双页对开连续浏览文档"));
    m_singleMode->hide();
    m_doubleMode->hide();

    QHBoxLayout* row = new QHBoxLayout(this);
    row->addLayout(boxed(m_openPbn, QStringLiteral("打开")));
    row->addLayout(boxed(m_savePbn, QStringLiteral("保存")));
    row->addLayout(boxed(m_printPbn, QStringLiteral("打印")));
    row->addStretch(2);
    row->addLayout(boxed(m_handTbn, QStringLiteral("手型工具")));
    row->addLayout(boxed(m_selectTbn, QStringLiteral("选择文本")));
    row->addStretch(1);
    row->addLayout(boxed(m_highlightTbn, QStringLiteral("高亮")));
    row->addLayout(boxed(m_underlineTbn, QStringLiteral("下划线")));
    row->addLayout(boxed(m_deletelineTbn, QStringLiteral("删除线")));
    row->addLayout(boxed(m_penTbn, QStringLiteral("铅笔")));
    row->addStretch(2);
    row->addLayout(boxed(m_signatureTbn, QStringLiteral("自签")));
    row->addLayout(boxed(m_cloudsignatureTbn, QStringLiteral("云签")));
    row->addStretch(3);
    row->addWidget(m_zoomValue);
    row->addWidget(m_zoominPbn);
    row->addWidget(m_zoomoutPbn);
    row->addStretch(4);
    row->addWidget(m_singleMode);
    row->addWidget(m_singlecontinueMode);
    row->addWidget(m_doubleMode);
    row->addWidget(m_doublecontinueMode);
    row->setSpacing(int(10 * screenZoom));
    row->setContentsMargins(int(30 * screenZoom), 2, int(20 * screenZoom), 2);

    m_operateBtnGroup = new QButtonGroup(this);
    m_operateBtnGroup->setExclusive(true);
    QAbstractButton* const tools[] = {m_handTbn,     m_selectTbn, m_highlightTbn,  m_underlineTbn,    m_deletelineTbn,
                                      m_textTbn,     m_penTbn,    m_handwriteTbn,  m_signatureTbn,    m_cloudsignatureTbn};
    for (int id = 0; id < 10; id++)
    {
        tools[id]->setCheckable(true);
        m_operateBtnGroup->addButton(tools[id], id);
    }
    m_handTbn->setChecked(true);
    modeBtnGroup = new QButtonGroup(this);
    modeBtnGroup->setExclusive(true);
    QAbstractButton* const modes[] = {m_singleMode, m_singlecontinueMode, m_doubleMode, m_doublecontinueMode};
    for (int id = 0; id < 4; id++)
    {
        modes[id]->setCheckable(true);
        modeBtnGroup->addButton(modes[id], id);
    }

    setObjectName(QStringLiteral("MenuBar"));
    setStyleSheet(menuBarStyle());

    connect(modeBtnGroup, &QButtonGroup::idClicked, this, &MenuBar::displayMode);
    connect(m_operateBtnGroup, &QButtonGroup::idClicked, this, &MenuBar::operateSlots);
    connect(m_openPbn, &QPushButton::clicked, this, &MenuBar::open);
    connect(m_savePbn, &QPushButton::clicked, this, &MenuBar::save);
    connect(m_printPbn, &QPushButton::clicked, this, &MenuBar::print);
    connect(m_zoominPbn, &QPushButton::clicked, this, &MenuBar::zoomIn);
    connect(m_zoomoutPbn, &QPushButton::clicked, this, &MenuBar::zoomOut);
    connect(m_handTbn, &QToolButton::clicked, this, &MenuBar::buttonClicked);
    connect(m_selectTbn, &QToolButton::clicked, this, &MenuBar::buttonClicked);
    for (ToolButton* t : {m_highlightTbn, m_underlineTbn, m_deletelineTbn, m_textTbn, m_penTbn, m_handwriteTbn,
                          m_signatureTbn, m_cloudsignatureTbn})
    {
        connect(t, &ToolButton::buttonDown, this, &MenuBar::buttonDownSlot);
        connect(t, &ToolButton::buttonUp, this, &MenuBar::buttonUpSlot);
    }
    connect(m_zoomValue, &QComboBox::currentTextChanged, this, &MenuBar::comboBoxTextChanged);
}

Menu* MenuBar::setToolMenu(QToolButton* btn, QWidget* widget)
{
    btn->setFixedSize(iconwplus, iconh);
    btn->setCheckable(true);
    Menu* menu = new Menu(this);
    widget->setGraphicsEffect(new GraphicsDropShadowEffect(widget));
    QWidgetAction* action = new QWidgetAction(this);
    action->setDefaultWidget(widget);
    menu->addAction(action);
    btn->setPopupMode(QToolButton::MenuButtonPopup);
    btn->setMenu(menu);
    return menu;
}

QAbstractButton* MenuBar::toolButton(int id) const
{
    return m_operateBtnGroup->button(id);
}

QAbstractButton* MenuBar::layoutButton(int id) const
{
    return modeBtnGroup->button(id);
}

int MenuBar::checkedTool() const
{
    // A tool made non-checkable drops its check without the group noticing: ask the buttons.
    for (QAbstractButton* b : m_operateBtnGroup->buttons())
        if (b->isChecked())
            return m_operateBtnGroup->id(b);
    return -1;
}

int MenuBar::checkedDisplayMode() const
{
    for (QAbstractButton* b : modeBtnGroup->buttons())
        if (b->isChecked())
            return modeBtnGroup->id(b);
    return -1;
}

float MenuBar::zoomValue() const
{
    QString text = m_zoomValue->currentText();
    return text.remove(QLatin1Char('%')).toFloat();
}

bool MenuBar::annotationToolsEnabled() const
{
    return m_highlightTbn->isEnabled();
}

bool MenuBar::signingToolsEnabled() const
{
    return m_signatureTbn->isEnabled() && m_cloudsignatureTbn->isEnabled();
}

bool MenuBar::controlsEnabled() const
{
    return m_signatureTbn->isEnabled() && m_cloudsignatureTbn->isEnabled() && m_savePbn->isEnabled();
}

QColor MenuBar::getHighightColor() const
{
    return m_highlightMenuWidget->color();
}

QColor MenuBar::getUnderlineColor() const
{
    return m_underlineMenuWidget->color();
}

QColor MenuBar::getDeletelineColor() const
{
    return m_deletelineMenuWidget->color();
}

QColor MenuBar::getPenColor() const
{
    return m_penMenuWidget->color();
}

double MenuBar::getPenWidth() const
{
    return m_penMenuWidget->penWidthF();
}

double MenuBar::getOpacity() const
{
    return m_penMenuWidget->opacity();
}

// ---- choosing tools ------------------------------------------------------------------------------

void MenuBar::buttonClicked()
{
    emit changeOperate(sender() == m_selectTbn ? MS_Select : MS_Hand);
}

void MenuBar::buttonDownSlot()
{
    QObject* s = sender();
    int id = MS_Hand;
    if (s == m_highlightTbn)
        id = MS_Highight;
    else if (s == m_underlineTbn)
        id = MS_Underline;
    else if (s == m_deletelineTbn)
        id = MS_Deleteline;
    else if (s == m_textTbn)
        id = MS_Text;
    else if (s == m_penTbn)
        id = MS_Pen;
    else if (s == m_handwriteTbn)
        id = MS_Handwrite;
    else if (s == m_signatureTbn)
        id = MS_LocalSignature;
    else if (s == m_cloudsignatureTbn)
    {
        id = MS_CloudSignature;
        setToolsEnabled(1, false);
    }
    emit changeOperate(id);
}

void MenuBar::buttonUpSlot()
{
    if (m_handTbn->isChecked() || m_selectTbn->isChecked())
        return;
    emit hideRightTool();
    emit changeOperate(MS_Hand);
    m_handTbn->setChecked(true);
    m_oldOperateBtn = MS_Hand;
}

void MenuBar::backLastChecked()
{
    QAbstractButton* last = m_operateBtnGroup->button(m_realCheckId);
    if (!last)
    {
        buttonUpSlot();
        return;
    }
    last->setChecked(true);
    m_oldOperateBtn = m_realCheckId;
}

void MenuBar::operateSlots(int id)
{
    m_oldOperateBtn = id;
}

void MenuBar::setOperateToolChecked(int i)
{
    if (QAbstractButton* b = m_operateBtnGroup->button(i))
        b->setChecked(true);
    m_oldOperateBtn = i;
}

void MenuBar::setDisplayToolChecked(int i)
{
    if (QAbstractButton* b = modeBtnGroup->button(i))
        b->setChecked(true);
}

void MenuBar::displayMode(int id)
{
    emit changeDisplayMode(id);
}

// ---- zoom ----------------------------------------------------------------------------------------

void MenuBar::comboBoxTextChanged(const QString& text)
{
    QString number = text;
    number.remove(QLatin1Char('%'));
    emit zoomValueChanged(number.toFloat());
}

void MenuBar::setZoomValue(float zoom)
{
    const int index = m_zoomValue->findText(QStringLiteral("%1%").arg(double(zoom), 0, 'g', 6));
    if (index >= 0)
        m_zoomValue->setCurrentIndex(index);
}

// ---- enabling ------------------------------------------------------------------------------------

void MenuBar::setToolsEnabled(int mode, bool bEnabled)
{
    if (mode == 1)
    {
        for (QAbstractButton* b : {static_cast<QAbstractButton*>(m_highlightTbn), static_cast<QAbstractButton*>(m_underlineTbn),
                                   static_cast<QAbstractButton*>(m_deletelineTbn), static_cast<QAbstractButton*>(m_textTbn),
                                   static_cast<QAbstractButton*>(m_penTbn), static_cast<QAbstractButton*>(m_savePbn)})
            b->setEnabled(bEnabled);
    }
    else if (mode == 0)
    {
        ToolButton* const tools[] = {m_highlightTbn, m_underlineTbn, m_deletelineTbn, m_textTbn,
                                     m_penTbn,       m_handwriteTbn, m_signatureTbn};
        if (!bEnabled)
        {
            // Dropping the checkable flag clears a check; the contract-seal tool keeps its own.
            for (ToolButton* t : tools)
                t->setCheckable(false);
            for (ToolButton* t : tools)
                t->setCheckable(true);
            m_cloudsignatureTbn->setCheckable(true);
            m_singleMode->setCheckable(true);
            m_singlecontinueMode->setCheckable(true);
        }
        for (ToolButton* t : tools)
            t->setEnabled(bEnabled);
        m_cloudsignatureTbn->setEnabled(bEnabled);
    }
}

void MenuBar::updateMenu(bool bDisable)
{
    setToolsEnabled(1, !bDisable);
}

void MenuBar::setDisableControl(bool isDsiable)
{
    m_signatureTbn->setEnabled(isDsiable);
    m_cloudsignatureTbn->setEnabled(isDsiable);
    m_savePbn->setEnabled(isDsiable);
}

// ---- style popups --------------------------------------------------------------------------------

void MenuBar::chooseToolOnClose(ToolButton* tool)
{
    if (tool->isChecked())
        return;
    // Chosen exactly as a click would choose it.
    tool->setChecked(true);
    m_oldOperateBtn = m_operateBtnGroup->id(tool);
    emit tool->buttonDown();
}

void MenuBar::highlightMenuToHide()
{
    chooseToolOnClose(m_highlightTbn);
    emit setHighightColor(m_highlightMenuWidget->color());
}

void MenuBar::underlineMenuToHide()
{
    chooseToolOnClose(m_underlineTbn);
    emit setUnderlineColor(m_underlineMenuWidget->color());
}

void MenuBar::deletelineMenuToHide()
{
    chooseToolOnClose(m_deletelineTbn);
    emit setDeletelineColor(m_deletelineMenuWidget->color());
}

void MenuBar::penMenuToHide()
{
    chooseToolOnClose(m_penTbn);
    emit setPenAttribute(m_penMenuWidget->color(), m_penMenuWidget->penWidthF(), m_penMenuWidget->opacity());
}
