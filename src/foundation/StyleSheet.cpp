#include "StyleSheet.h"

#include "GlobalHeader.h"

namespace {

QString scrollBarPart()
{
    const int p = toEvenNumber(screenZoom * 1.5);
    const QString tmpl = QStringLiteral(
        "QScrollBar:horizontal{padding-top:%3px;padding-bottom:%3px;border:1px solid transparent;"
        "background:transparent;height:%1px;margin:0px 0px 0 0px;}\t"
        "QScrollBar:horizontal:hover{border:1px solid #C6C6C6;background:white;}\t"
        "QScrollBar::handle:horizontal{background:#ABAEAD;min-width:20px;border-radius:%2px;;}\t"
        "QScrollBar::handle:horizontal:hover{background:rgba(0,0,0,25);}\t"
        "QScrollBar::handle:horizontal:pressed{background:rgb(222,222,232);}\t"
        "QScrollBar::add-line:horizontal{background:rgb(208,208,208);width:0px;subcontrol-position:right;"
        "subcontrol-origin:margin;border:none;}\t"
        "QScrollBar::add-line:horizontal:hover{}\t"
        "QScrollBar::add-line:horizontal:pressed{}\t"
        "QScrollBar::sub-line:horizontal{background:rgb(208,208,208); width:0px; subcontrol-position:left;"
        "subcontrol-origin:margin;border:none;}\t"
        "QScrollBar::sub-line:horizontal:hover{}\t"
        "QScrollBar::sub-line:horizontal:pressed{}\t"
        "QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal{background:transparent;border:none;}\t"
        "QScrollBar:vertical{padding-left:%3px;padding-right:%3px;border:1px solid transparent;"
        "background:transparent;width:%1px;margin:0px 0px 0px 0px;}\t"
        "QScrollBar:vertical:hover{border:1px solid #C6C6C6;background:white;}\t"
        "QScrollBar::handle:vertical{background:#ABAEAD;min-height:20px;border-radius:%2px;}\t"
        "QScrollBar::handle:vertical:hover{background:rgba(0,0,0,25);}\t"
        "QScrollBar::handle:vertical:pressed{background:rgb(222,222,232);}\t"
        "QScrollBar::add-line:vertical{background:rgb(208,208,208);height:0px;subcontrol-position:bottom;"
        "subcontrol-origin:margin;border:none;}\t"
        "QScrollBar::add-line:vertical:hover{}\t"
        "QScrollBar::add-line:vertical:pressed{}\t"
        "QScrollBar::sub-line:vertical{background:rgb(208,208,208); height:0px; subcontrol-position:top;"
        "subcontrol-origin:margin;border:none;}\t"
        "QScrollBar::sub-line:vertical:hover{}\t"
        "QScrollBar::sub-line:vertical:pressed{}\t"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical{background: none;}\t");
    return tmpl.arg(QString::number(scrollWidth))
        .arg(toFixSize((scrollWidth - 2 - 2 * p) * 0.5, false))
        .arg(toFixSize(p, false));
}

QString checkBoxPart()
{
    const QString tmpl = QStringLiteral(
        "QCheckBox{spacing:5px;color:#ACFFD7;}\t"
        "QCheckBox::indicator{width:%1px;height:%1px;}\t"
        "QCheckBox::indicator:unchecked{image:url(:/Resources/images/unchecked1.svg);}\t"
        "QCheckBox::indicator:unchecked:hover{image:url(:/Resources/images/unchecked1_hover.svg);}\t"
        "QCheckBox::indicator:checked{image:url(:/Resources/images/checked1.svg);}\t"
        "QCheckBox[mode='checked']{;spacing:5px;color:#333333;background:transparent;}\t"
        "QCheckBox[mode='checked']::indicator:unchecked{image:url(:/Resources/images/unchecked2.svg);}\t"
        "QCheckBox[mode='checked']::indicator:unchecked:hover{image:url(:/Resources/images/unchecked2_hover.svg);}\t"
        "QCheckBox[mode='checked']::indicator:checked{image:url(:/Resources/images/checked2.svg);}\t");
    // The indicator size is scaled before toFixString scales it again.
    return tmpl.arg(toFixString(14 * screenZoom));
}

QString comboBoxPart()
{
    const QString tmpl = QStringLiteral(
        " QComboBox{font-family:'Arial';border:1px solid #91DFBC;padding-left:%1px;border-radius:%2px;font-size:%3px;}\t"
        "QComboBox[mode='text']{font-family:'Microsoft YaHei';border:1px solid #91DFBC;padding-left:%1px;"
        "border-radius:%2px;}\t"
        "QComboBox[mode='style2']{border:1px solid #31CA84;background:#EBF8EC;color:#45744D;border-radius:%2px;"
        "font-size:%3px;}\t"
        "QComboBox QAbstractItemView{border:1px solid #91DFBC;outline:0px; width:200px;}\t"
        "QComboBox QAbstractItemView::item{padding-left:%8px;color:#333333;background:white;min-height:%4px;}\t"
        "QComboBox QAbstractItemView::item:hover{background: #91DFBC;color:white;}\t"
        "QComboBox:on{}\t"
        "QComboBox::drop-down{width:%5px;background:transparent;subcontrol-origin: padding;"
        "subcontrol-position:right;}\t"
        "QComboBox::down-arrow{width:%6px;image:url(:/Resources/images/dropdown1.svg);padding-right:%7px;}\t"
        "QComboBox:editable{}\t"
        "QComboBox:!editable{}\t"
        "QComboBox::drop-down:editable{background:#FFFFFF;border:none;}\t"
        "QComboBox:!editable:disabled{border:1px solid #CACACA;color:#CACACA;}\t"
        "QComboBox:!editable:on,QComboBox::drop-down:editable:on{background: #FEFEFE;}\t");
    return tmpl.arg(toFixString(5))
        .arg(toFixString(1))
        .arg(toFixString(9.5))
        .arg(toFixString(22))
        .arg(toFixString(14))
        .arg(toFixString(8))
        .arg(toFixString(2))
        .arg(toFixString(5));
}

QString treeViewPart()
{
    const QString tmpl = QStringLiteral(
        "QTreeView{border:none;show-decoration-selected: 1;}\t"
        "QTreeView::item{min-height:%1px;}\t"
        "QTreeView::item:hover{background: #91DFBC;}\t"
        "QTreeView::item:selected:active{background: #31CA84;color:white;}\t"
        "QTreeView::item:selected:!active{background: #bbbdbe;}\t");
    return tmpl.arg(toFixString(22));
}

QString menuPart()
{
    return QStringLiteral(
        "QMenu{background: #FFFFFF;border:1px solid gray;}\t"
        "QMenu::item{background: transparent; padding: 4px 30px 4px 30px;;}\t"
        "QMenu::item:selected{background: #31CA84;color:#FFFFFF;}\t");
}

QString pushButtonPart()
{
    const QString tmpl = QStringLiteral(
        "QPushButton[mode='style2']{background:rgba(49,202,132,1);color:white;font-size:%1px;border-radius:%2px;}\t"
        "QPushButton[mode='style2']:hover{background:#2CBB7B;}\t"
        "QPushButton[mode='style2']:pressed{background:rgba(49,202,132,1);}\t"
        "QPushButton[mode='style2']:disabled{background:#CACACA;}\t");
    return tmpl.arg(toFixString(9)).arg(toFixString(2));
}

QString lineEditPart()
{
    const QString tmpl = QStringLiteral(
        "QLineEdit[mode='style2']{padding-left:6px;border:1px solid rgba(49,202,132,1);"
        "background:rgba(235,248,236,1);border-radius:3px;}\t"
        "QLineEdit[mode='style3']{padding-left:4px;border:none;color:#278E60;font-size:%1px;}\t"
        "DateTimeEdit{padding-left:4px;border:1px solid #31CA84;background:#EBF8EC;border-radius:3px;}\t");
    return tmpl.arg(toFixString(9.5));
}

QString labelPart()
{
    return QStringLiteral("QLabel[mode='style2']{color:#278E60;font-size:%1px;}").arg(toFixString(9.5));
}

} // namespace

QString style()
{
    return scrollBarPart() + checkBoxPart() + comboBoxPart() + QStringLiteral("QWidget{outline:1px;}") +
           treeViewPart() + menuPart() + pushButtonPart() + lineEditPart() + labelPart();
}
