#pragma once
// Small widgets of the list screens: a read-only date field with a calendar pop-up, and a
// label that remembers a click.

#include <QDate>
#include <QLabel>
#include <QLineEdit>

class QCalendarWidget;

// Shows a date as year, "年", month, "月", day, "日" (no leading zeros) and opens a calendar
// under itself when clicked.
class DateTimeEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit DateTimeEdit(QWidget* parent = nullptr);
    // Deletes the calendar too: it belongs to the field's parent, which may outlive the field.
    ~DateTimeEdit() override;

    // Selects `date` in the calendar only; the text and endDate() stay.
    void setSelectDate(const QDate& date);
    // Replaces the texts written after the year, the month and the day for later picks.
    void setStyle(QString year, QString month, QString day);
    QDate endDate() const { return m_endDate; }
    QCalendarWidget* calendarWidget() const { return caledar; }

    // Text of a picked date with the given suffixes.
    static QString dateText(const QDate& date, const QString& year, const QString& month, const QString& day);

    QDate m_endDate;

public slots:
    void showCalendarWidget();

signals:
    void emitPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QCalendarWidget* caledar = nullptr;
    QString year;
    QString month;
    QString day;
};

// A label that remembers that it was clicked; it paints nothing.
class SelectedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit SelectedLabel(QWidget* parent = nullptr);
    bool isSelected() const { return m_selected; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_selected = false;
};
