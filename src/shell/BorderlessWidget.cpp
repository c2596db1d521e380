#include "BorderlessWidget.h"

BorderlessWidget::BorderlessWidget(QWidget* parent)
    : QFrame(parent)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setStyleSheet("BorderlessWidget{background:white;border:1px solid rgba(49,202,132,1);}");
}
