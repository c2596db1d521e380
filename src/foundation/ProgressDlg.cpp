#include "ProgressDlg.h"

#include "GlobalHeader.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

ProgressDlg::ProgressDlg(QWidget* parent)
    : ParentDialog(parent, false)
{
    setTilter(QString::fromUtf8("打印进度"));
    closeBtn->hide();

    m_progress = new QProgressBar(_content);
    m_progress->setTextVisible(false);
    m_textLabel = new QLabel(_content);
    m_textLabel->setProperty("mode", "level3black");
    m_canelBtn = new QPushButton(QString::fromUtf8("取消"), _content);
    m_canelBtn->setProperty("mode", "BtnWhite");
    m_canelBtn->setFixedHeight(int(20 * screenZoom));
    m_canelBtn->hide();

    auto* row = new QHBoxLayout;
    row->addWidget(m_textLabel, 8);
    row->addWidget(m_canelBtn, 2);
    auto* layout = new QVBoxLayout(_content);
    const int m = int(15 * screenZoom);
    layout->setContentsMargins(m, m, m, m);
    layout->setSpacing(5);
    layout->addWidget(m_progress);
    layout->addLayout(row);

    setFixedSize(int(300 * screenZoom), int(100 * screenZoom));

    connect(m_progress, &QProgressBar::valueChanged, this, &ProgressDlg::closeValue);
    connect(m_canelBtn, &QPushButton::clicked, this, &ProgressDlg::ProgressBreak);
}

void ProgressDlg::setRange(int min, int max)
{
    m_progress->setRange(min, max);
}

void ProgressDlg::setValue(int value)
{
    m_progress->setValue(value);
}

void ProgressDlg::setText(const QString& text)
{
    m_textLabel->setText(text);
}

void ProgressDlg::setCancelHidden()
{
    m_canelBtn->hide();
}

void ProgressDlg::setCloseDisabled()
{
    closeBtn->setEnabled(false);
}

void ProgressDlg::closeValue(int)
{
}

void ProgressDlg::keyPressEvent(QKeyEvent* event)
{
    // Without a cancel button the caller's job (a batch or print thread) cannot be stopped, so
    // Escape must not end the dialog the caller is waiting on.
    if (event->key() == Qt::Key_Escape && m_canelBtn->isHidden()) {
        event->accept();
        return;
    }
    ParentDialog::keyPressEvent(event);
}
