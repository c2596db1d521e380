#include "TemplatePage.h"

#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "ParentDialog.h"
#include "ShellResources.h"

#include <QHBoxLayout>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

int z(double v)
{
    return int(v * screenZoom);
}

} // namespace

TemplatePage::TemplatePage(QWidget* parent)
    : QFrame(parent)
{
    initShellResources();
    setObjectName(QStringLiteral("TemplatePage"));
    initUI();
    setStyleSheet(QStringLiteral("TemplatePage{background:#F3F6F7;}"));
}

TemplatePage::~TemplatePage() = default;

QWidget* TemplatePage::initLeftWidget()
{
    auto* panel = new QWidget(this);
    panel->setStyleSheet(QStringLiteral(".QWidget{background:white;border-radius:4px;} "));
    panel->setFixedSize(z(147), z(559));
    auto* shadow = new GraphicsDropShadowEffect(panel);
    shadow->setColor(QColor(164, 161, 161, 58));
    panel->setGraphicsEffect(shadow);
    return panel;
}

void TemplatePage::initUI()
{
    m_level2MenuBar = new Level2MenuBar(QStringList{QStringLiteral("下载模板")}, QStringLiteral("合同模板"),
                                        QPixmap(QStringLiteral(":/template/Resources/images/template/template.svg")),
                                        QSize(z(40), z(39)), this);
    m_leftWidget = initLeftWidget();
    m_rightWidget = new BlockWidget(this);
    m_rightWidget->setFixedSize(z(1041), z(559));
    m_rightWidget->setTitler(QStringLiteral("全部模板"));

    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(m_leftWidget);
    row->addWidget(m_rightWidget);
    row->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_level2MenuBar);
    layout->addLayout(row);
    layout->addStretch();
}
