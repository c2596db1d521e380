#pragma once
// A horizontal strip of list items between two arrow buttons that scroll it step by step.

#include <QIcon>
#include <QWidget>

class QListWidget;
class QPushButton;

class CListControlRoll : public QWidget
{
    Q_OBJECT
public:
    // `width` x `height` is each arrow's size, `widgetHeight` the strip's height, `rollValue`
    // the scroll step in scroll-bar units; the strip's list widget is returned in `listwidget`.
    CListControlRoll(QWidget* parent, int width, int height, int widgetHeight, int spacing,
                     const QIcon& leftAicon, const QIcon& rightAicon, QListWidget*& listwidget, int rollValue);

    void addWidgetItem(QString file, QString date, bool fixed);

    // The arrows are shown only when the strip can scroll by at least two units.
    static bool arrowsShown(int maximum) { return maximum >= 2; }

    QPushButton* leftBtn = nullptr;
    QPushButton* rightBtn = nullptr;
    QListWidget* listWidget = nullptr;

private:
    int m_rollValue = 0;
};
