#pragma once
// The framing widgets of the user-centre and document-centre pages: the card (a grey title
// strip over a white body with a soft shadow) and the second-level menu bar (icon and title
// over a row of exclusive text tabs, an optional plain button and a badge on "我的授权").

#include <QFrame>
#include <QList>
#include <QPixmap>
#include <QSize>
#include <QStringList>

class QButtonGroup;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QToolButton;

class BlockWidget : public QFrame
{
    Q_OBJECT
public:
    explicit BlockWidget(QWidget* parent = nullptr);

    // Fills the title strip once. With pbn and type 1: pbn, the title, free space (a back
    // button). Otherwise: the title, then comBox and pbn at the right end.
    void setTitler(QString str, QPushButton* pbn = nullptr, int type = 0, QString titleStyle = QString(),
                   QComboBox* comBox = nullptr);

    QLabel* titler() const { return _titler; }
    QWidget* topWidget() const { return _top; }
    // The body; pages give it their own layout and children.
    QWidget* bodyWidget() const { return _widget; }

    QLabel* _titler = nullptr;
    QWidget* _top = nullptr;
    QHBoxLayout* m_topLayout = nullptr;
    QWidget* _widget = nullptr;
};

class Level2MenuBar : public QFrame
{
    Q_OBJECT
public:
    Level2MenuBar(QStringList toolsText, QString title, QPixmap pixmap, QSize size, QWidget* parent = nullptr,
                  bool isBtnPush = false, const QString& btnText = QString());

    // Checks or unchecks tab id without emitting toolbtnClicked.
    void setMenuBtnClicked(int id, bool isCheck);
    void setBtnHide(int id);
    QButtonGroup* getBtnGroup();
    // Hides (true) or shows (false) the badge; no badge: nothing.
    void setRedLabel(bool isHidden);

    QLabel* redLabel() const { return m_redLabel; }
    QLabel* iconLabel() const { return _iconLabel; }
    QLabel* titleLabel() const { return _textLabel; }
    QToolButton* pushButton() const { return m_pushBtn; }

signals:
    void toolbtnClicked(int id);
    void btnPushClicked();

private:
    QStringList _toolsText;
    QString _titler;
    QString _text;
    bool _isBtnPush = false;
    QLabel* _iconLabel = nullptr;
    QLabel* _textLabel = nullptr;
    QButtonGroup* btngroup = nullptr;
    QLabel* m_redLabel = nullptr;
    QList<QToolButton*> m_btnTools;
    QToolButton* m_pushBtn = nullptr;
};
