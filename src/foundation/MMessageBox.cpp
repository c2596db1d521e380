#include "MMessageBox.h"

#include "GlobalHeader.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
MMessageBox::AnswerHook& hookSlot()
{
    static MMessageBox::AnswerHook hook;
    return hook;
}

// The program's texts for the standard buttons; some buttons carry meanings of their own.
struct ButtonText {
    QDialogButtonBox::StandardButton button;
    const char* text;
};
const ButtonText kButtonTexts[] = {
    {QDialogButtonBox::Yes, "是"},           {QDialogButtonBox::No, "否"},
    {QDialogButtonBox::Ok, "确定"},          {QDialogButtonBox::Open, "去认证"},
    {QDialogButtonBox::Save, "去购买"},      {QDialogButtonBox::Cancel, "取消"},
    {QDialogButtonBox::Apply, "立即更新"},   {QDialogButtonBox::Ignore, "稍后再说"},
    {QDialogButtonBox::Help, "去上传"},
};
} // namespace

void MMessageBox::setAnswerHook(AnswerHook hook)
{
    hookSlot() = std::move(hook);
}

MMessageBox::AnswerHook MMessageBox::answerHook()
{
    return hookSlot();
}

MMessageBox::MMessageBox(QWidget* parent, const QString& title, const QString& text, StandardButtons buttons,
                         StandardButton defaultButton, bool isEscClose, bool isTop)
    : ParentDialog(parent, false)
    , m_isEscClose(isEscClose)
{
    setTilter(title);

    m_icon = new QLabel(_content);
    m_icon->setFixedSize(int(21 * screenZoom), int(21 * screenZoom));
    m_icon->setScaledContents(true);
    m_icon->hide();

    m_text = new QLabel(text, _content);
    m_text->setWordWrap(true);
    if (isTop) {
        m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_text->setStyleSheet(QStringLiteral("QLabel{color:gray;font-size:%1px;}").arg(toFixString(10)));
    } else {
        m_text->setAlignment(Qt::AlignCenter);
        m_text->setProperty("mode", "level2black");
    }

    m_checkBox = new QCheckBox(QString::fromUtf8("不再提示"), _content);
    m_checkBox->setProperty("mode", "checked");
    m_checkBox->hide();

    m_dialogBtnBox = new QDialogButtonBox(buttons, Qt::Horizontal, _content);

    auto* firstRow = new QHBoxLayout;
    firstRow->addWidget(m_icon);
    firstRow->addWidget(m_text, 1);
    auto* secondRow = new QHBoxLayout;
    secondRow->addWidget(m_checkBox);
    secondRow->addWidget(m_dialogBtnBox);
    auto* layout = new QVBoxLayout(_content);
    layout->addLayout(firstRow, 1);
    layout->addLayout(secondRow);
    const int m = int(15 * screenZoom);
    layout->setContentsMargins(m, isTop ? m : 0, m, m);

    // Only the chosen default button reacts to Return; a focused button does not become one.
    for (QAbstractButton* b : m_dialogBtnBox->buttons()) {
        if (auto* pb = qobject_cast<QPushButton*>(b)) {
            pb->setAutoDefault(false);
            pb->setDefault(false);
        }
        b->setFixedSize(int(74 * screenZoom), int(20 * screenZoom));
    }
    setDefaultButton(defaultButton);

    connect(m_dialogBtnBox, &QDialogButtonBox::clicked, this, &MMessageBox::onButtonClicked);
    translateUi();

    setFixedSize(int(274 * screenZoom), int(147 * screenZoom));
}

MMessageBox::~MMessageBox() = default;

void MMessageBox::translateUi()
{
    // Text-only buttons: some styles put stock icons on standard buttons.
    for (QAbstractButton* b : m_dialogBtnBox->buttons())
        b->setIcon(QIcon());
    for (const ButtonText& t : kButtonTexts) {
        if (QPushButton* b = m_dialogBtnBox->button(t.button))
            b->setText(QString::fromUtf8(t.text));
    }
    if (QPushButton* b = m_dialogBtnBox->button(QDialogButtonBox::Apply)) {
        b->setStyleSheet(QStringLiteral("QPushButton{background:#1B8555;border:1px solid #1B8555;border-radius:%1px;"
                                        "font-size:%2px;color:white;}"
                                        "QPushButton:hover{background:#2CBB7B;border:none;color:white;}"
                                        "QPushButton:pressed{background:#4FEAA8;}")
                             .arg(toFixString(3), toFixString(10)));
    }
    if (QPushButton* b = m_dialogBtnBox->button(QDialogButtonBox::Ignore)) {
        b->setStyleSheet(QStringLiteral("QPushButton{border:1px solid #CACACA;border-radius:%1px;font-size:%2px;"
                                        "color:#CACACA;}"
                                        "QPushButton:hover{background:#CACACA;border:none;color:white;}"
                                        "QPushButton:pressed{background:#CFCFCF;}"
                                        "QPushButton:disabled{border:1px solid #bbbdbe;color:#bbbdbe;}")
                             .arg(toFixString(3), toFixString(10)));
    }
}

void MMessageBox::setTitle(const QString& title)
{
    setTilter(title);
}

void MMessageBox::setText(const QString& text)
{
    m_text->setText(text);
}

QString MMessageBox::text() const
{
    return m_text->text();
}

void MMessageBox::setIcon(const QString& icon)
{
    m_iconPath = icon;
    m_icon->setPixmap(QPixmap(icon));
    m_icon->show();
}

void MMessageBox::setDefaultButton(StandardButton button)
{
    QPushButton* b = m_dialogBtnBox->button(button);
    if (!b)
        return;
    if (auto* old = qobject_cast<QPushButton*>(m_defaultBtn))
        old->setDefault(false);
    b->setDefault(true);
    m_defaultBtn = b;
    b->setFocus();
}

void MMessageBox::setCheckBoxHidden(bool hidden)
{
    m_checkBox->setHidden(hidden);
}

bool MMessageBox::isCheckBoxHidden() const
{
    return m_checkBox->isHidden();
}

bool MMessageBox::isChecked() const
{
    return m_checkBox->isChecked();
}

void MMessageBox::setCloseBtn(bool isClose)
{
    closeBtn->setHidden(isClose);
}

MMessageBox::StandardButton MMessageBox::standardButton(QAbstractButton* button) const
{
    return m_dialogBtnBox->standardButton(button);
}

QAbstractButton* MMessageBox::button(StandardButton which) const
{
    return m_dialogBtnBox->button(which);
}

MMessageBox::StandardButtons MMessageBox::standardButtons() const
{
    return m_dialogBtnBox->standardButtons();
}

int MMessageBox::exec()
{
    if (AnswerHook hook = hookSlot()) {
        const StandardButton answer = hook(*this);
        QAbstractButton* b = m_dialogBtnBox->button(answer);
        m_clickedBtn = b;
        const int result = b ? int(answer) : int(QDialogButtonBox::NoButton);
        setResult(result);
        return result;
    }
    return ParentDialog::exec();
}

void MMessageBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (m_isEscClose)
            reject();
        else
            event->ignore();
        return;
    }
    // Return and Enter press the default button, when there is one.
    QDialog::keyPressEvent(event);
}

void MMessageBox::showEvent(QShowEvent* event)
{
    // The button box makes its first accepting button the default when it is shown; only the
    // default the caller chose may answer Return.
    for (QAbstractButton* b : m_dialogBtnBox->buttons())
        if (auto* pb = qobject_cast<QPushButton*>(b))
            pb->setDefault(b == m_defaultBtn);
    ParentDialog::showEvent(event);
}

void MMessageBox::onButtonClicked(QAbstractButton* button)
{
    m_clickedBtn = button;
    done(int(standardButton(button)));
}

MMessageBox::StandardButton MMessageBox::runStatic(MMessageBox* raw, QSize size, const QString& icon)
{
    // On the heap under a guard: a parent deleted while the box runs deletes the box with it,
    // and the box must then not be deleted a second time here.
    QPointer<MMessageBox> box(raw);
    box->setFixedSize(int(size.width() * screenZoom), int(size.height() * screenZoom));
    if (!icon.isEmpty())
        box->setIcon(icon);
    const int result = box->exec();
    if (!box)
        return QDialogButtonBox::NoButton;
    delete box.data();
    return StandardButton(result);
}

MMessageBox::StandardButton MMessageBox::showInformation(QWidget* parent, const QString& title, const QString& text,
                                                         QSize size, StandardButtons buttons,
                                                         StandardButton defaultButton)
{
    return runStatic(new MMessageBox(parent, title, text, buttons, defaultButton, true, false), size, QString());
}

MMessageBox::StandardButton MMessageBox::showError(QWidget* parent, const QString& title, const QString& text,
                                                   QSize size, StandardButtons buttons, StandardButton defaultButton)
{
    return runStatic(new MMessageBox(parent, title, text, buttons, defaultButton, true, false), size,
                     ":/Resources/images/msg_error.svg");
}

MMessageBox::StandardButton MMessageBox::showWarning(QWidget* parent, const QString& title, const QString& text,
                                                     QSize size, StandardButtons buttons, StandardButton defaultButton)
{
    return runStatic(new MMessageBox(parent, title, text, buttons, defaultButton, true, false), size,
                     ":/Resources/images/msg_waring.svg");
}

MMessageBox::StandardButton MMessageBox::showSucc(QWidget* parent, const QString& title, const QString& text,
                                                  QSize size, StandardButtons buttons, StandardButton defaultButton)
{
    return runStatic(new MMessageBox(parent, title, text, buttons, defaultButton, true, false), size,
                     ":/Resources/images/msg_suc.svg");
}

MMessageBox::StandardButton MMessageBox::showQuestion(QWidget* parent, const QString& title, const QString& text,
                                                      QSize size, bool checkBtnShow, StandardButtons buttons,
                                                      StandardButton defaultButton)
{
    auto* box = new MMessageBox(parent, title, text, buttons, defaultButton, true, false);
    box->setCheckBoxHidden(!checkBtnShow);
    return runStatic(box, size, ":/Resources/images/msg_question.svg");
}

MMessageBox::StandardButton MMessageBox::showCustomQuestion(QWidget* parent, const QString& title,
                                                            const QString& text, QSize size, QString btntext1,
                                                            QString btntext2, StandardButton defaultButton)
{
    auto* box = new MMessageBox(parent, title, text, QDialogButtonBox::Yes | QDialogButtonBox::No, defaultButton,
                                true, false);
    box->m_dialogBtnBox->button(QDialogButtonBox::Yes)->setText(btntext1);
    box->m_dialogBtnBox->button(QDialogButtonBox::No)->setText(btntext2);
    return runStatic(box, size, ":/Resources/images/msg_question.svg");
}

// ---------------------------------------------------------------------------------------------

MMessageBoxAutoAnswer::MMessageBoxAutoAnswer(MMessageBox::StandardButton answer)
    : MMessageBoxAutoAnswer(QList<MMessageBox::StandardButton>{answer})
{
}

MMessageBoxAutoAnswer::MMessageBoxAutoAnswer(const QList<MMessageBox::StandardButton>& answers)
    : m_answers(answers)
    , m_previous(MMessageBox::answerHook())
{
    MMessageBox::setAnswerHook([this](MMessageBox& box) {
        Shown s;
        s.title = box.title();
        s.text = box.text();
        s.buttons = box.standardButtons();
        s.icon = box.iconPath();
        s.checkBoxShown = !box.isCheckBoxHidden();
        m_shown << s;
        if (m_answers.isEmpty())
            return MMessageBox::StandardButton(QDialogButtonBox::NoButton);
        return m_answers.size() > 1 ? m_answers.takeFirst() : m_answers.first();
    });
}

MMessageBoxAutoAnswer::~MMessageBoxAutoAnswer()
{
    MMessageBox::setAnswerHook(m_previous);
}

QStringList MMessageBoxAutoAnswer::texts() const
{
    QStringList out;
    for (const Shown& s : m_shown)
        out << s.text;
    return out;
}
