#include "DateTimeEdit.h"

#include "GlobalHeader.h"

#include <QAction>
#include <QCalendarWidget>
#include <QIcon>
#include <QMouseEvent>
#include <QToolButton>

DateTimeEdit::DateTimeEdit(QWidget* parent)
    : QLineEdit(parent), year(QStringLiteral("年")), month(QStringLiteral("月")), day(QStringLiteral("日"))
{
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);

    // The calendar is a pop-up window; without a parent of its own the field keeps it alive.
    caledar = new QCalendarWidget(parent ? parent : this);
    caledar->setWindowFlags(Qt::Popup);
    caledar->setAttribute(Qt::WA_WindowPropagation);
    caledar->setFirstDayOfWeek(Qt::Monday);
    caledar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    caledar->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    caledar->setFixedSize(static_cast<int>(250 * screenZoom), static_cast<int>(222 * screenZoom));
    caledar->hide();
    connect(caledar, &QObject::destroyed, this, [this] { caledar = nullptr; });
    connect(caledar, &QCalendarWidget::clicked, this, [this](const QDate& date) {
        // The picked date is known before the text changes, so a handler of the text sees it.
        m_endDate = date;
        setText(dateText(date, year, month, day));
        caledar->hide();
    });

    QAction* action = addAction(QIcon(QStringLiteral(":/Resources/date.svg")), QLineEdit::TrailingPosition);
    connect(action, &QAction::triggered, this, &DateTimeEdit::showCalendarWidget);
    connect(this, &DateTimeEdit::emitPressed, this, &DateTimeEdit::showCalendarWidget);

    const int arrow = static_cast<int>(12 * screenZoom);
    if (auto* prev = caledar->findChild<QToolButton*>(QStringLiteral("qt_calendar_prevmonth"))) {
        prev->setIcon(QIcon(QStringLiteral(":/usercenter/Resources/images/usercenter/sign_left.png")));
        prev->setIconSize(QSize(arrow, arrow));
    }
    if (auto* next = caledar->findChild<QToolButton*>(QStringLiteral("qt_calendar_nextmonth"))) {
        next->setIcon(QIcon(QStringLiteral(":/usercenter/Resources/images/usercenter/sign_right.png")));
        next->setIconSize(QSize(arrow, arrow));
    }
    caledar->setStyleSheet(
        QStringLiteral("QCalendarWidget QTableView{border:1px solid #D1D1D1;border-top-width:0px;"
                       "selection-background-color: red;alternate-background-color: #EDEDED;  "
                       "background-color: #EDEDED; font:simHei;color:black; }\t\t\t\t\t"
                       "QToolButton#qt_calendar_monthbutton,#qt_calendar_yearbutton{color:black;font:simHei; }"
                       "\t\t\t\t\tQCalendarWidget QWidget#qt_calendar_navigationbar{border:1px solid #D1D1D1;"
                       "border-bottom-width:0px;background-color: #EDEDED;}\t\t\t\t\t"
                       "#qt_calendar_prevmonth,#qt_calendar_nextmonth{height:%1px;margin:2px;}")
            .arg(toFixString(20)));
}

DateTimeEdit::~DateTimeEdit()
{
    if (caledar && caledar->parent() != this)
        delete caledar;
}

QString DateTimeEdit::dateText(const QDate& date, const QString& year, const QString& month, const QString& day)
{
    return QString::number(date.year()) + year + QString::number(date.month()) + month +
           QString::number(date.day()) + day;
}

void DateTimeEdit::setSelectDate(const QDate& date)
{
    caledar->setSelectedDate(date);
}

void DateTimeEdit::setStyle(QString y, QString m, QString d)
{
    year = y;
    month = m;
    day = d;
}

void DateTimeEdit::showCalendarWidget()
{
    caledar->setVisible(caledar->isHidden());
    caledar->move(mapToGlobal(QPoint(0, height() - 1)));
}

void DateTimeEdit::mousePressEvent(QMouseEvent* event)
{
    if (!rect().contains(event->pos())) {
        event->ignore();
        return;
    }
    repaint();
    event->accept();
}

void DateTimeEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (!rect().contains(event->pos())) {
        event->ignore();
        return;
    }
    emit emitPressed();
    repaint();
    event->accept();
}

void DateTimeEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

SelectedLabel::SelectedLabel(QWidget* parent) : QLabel(parent) {}

void SelectedLabel::mousePressEvent(QMouseEvent* event)
{
    if (rect().contains(event->pos()))
        event->accept();
    else
        event->ignore();
}

void SelectedLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (!rect().contains(event->pos())) {
        event->ignore();
        return;
    }
    m_selected = true;
    update();
    event->accept();
}

void SelectedLabel::paintEvent(QPaintEvent*) {}
