#pragma once
// The recent-documents row of the home page: one card per recently opened local document (file
// name, date last opened, pin, "立即签署" and "删除"), with paging arrows at both ends. The list
// is read from the per-user settings, where the document view records what it opens; this row
// only reads it, removes entries and sets their pinned flag.

#include <QString>
#include <QStringList>
#include <QWidget>

class QGraphicsDropShadowEffect;
class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;

// One card of the row.
class ListWidgetCellWidget : public QWidget
{
    Q_OBJECT
public:
    // One push button per text in buttons, in that order; fixed: the pin's initial state.
    ListWidgetCellWidget(QStringList buttons, bool fixed, QWidget* parent = nullptr);

    void setIcon(QString path);
    void setTilter(QString title);
    // Keeps the full path and shows its last component.
    void setFile(QString path);
    // Shows the date text as stored.
    void setDate(QString date);
    QString fileName() const { return m_fileName; }

    QLabel* titleLabel() const { return m_titler; }
    QLabel* nameLabel() const { return m_text1; }
    QLabel* dateLabel() const { return m_date; }
    QToolButton* pinButton() const { return m_tip; }
    QList<QPushButton*> buttons() const { return m_buttons; }
    QGraphicsDropShadowEffect* hoverShadow() const { return m_windowShadow; }

signals:
    // The index of the clicked button in the card's button list, and the card.
    void buttonClicked(int index, ListWidgetCellWidget* cell);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The pin was clicked: its new state goes to the settings.
    void pinToggled();

    QLabel* m_titler = nullptr;
    QLabel* m_text1 = nullptr;
    QLabel* m_icon = nullptr;
    QLabel* m_date = nullptr;
    QToolButton* m_tip = nullptr;
    QList<QPushButton*> m_buttons;
    QString m_fileName;
    QGraphicsDropShadowEffect* m_windowShadow = nullptr;
};

class ListTurnFrame : public QWidget
{
    Q_OBJECT
public:
    // At most this many entries are shown; later ones stay in the settings.
    static const int MaxShown = 15;

    explicit ListTurnFrame(QWidget* parent = nullptr);
    ~ListTurnFrame() override;

    // Rebuilds the row from the settings.
    void readSettings();
    // Appends one card.
    void addItem(QString file, QString date, bool fixed);

    QListWidget* list() const { return listWidget; }
    QPushButton* leftButton() const { return leftBtn; }
    QPushButton* rightButton() const { return rightBtn; }
    ListWidgetCellWidget* cellAt(int row) const;

public slots:
    // Index 0 "立即签署" opens the card's document (or reports it gone and drops the entry);
    // index 1 "删除" drops the entry without a question.
    void buttonClicked(int index, ListWidgetCellWidget* cell);

signals:
    void openFileSignal(const QString& file);

private:
    QPushButton* leftBtn = nullptr;
    QPushButton* rightBtn = nullptr;
    QListWidget* listWidget = nullptr;
};
