#pragma once
// Page 3 of the main window: the place of contract templates, a menu bar "合同模板" over an empty
// left panel and the card "全部模板". Nothing leads to it yet: its title-bar button stays hidden.

#include <QFrame>

class BlockWidget;
class Level2MenuBar;
class QWidget;

class TemplatePage : public QFrame
{
    Q_OBJECT
public:
    explicit TemplatePage(QWidget* parent = nullptr);
    ~TemplatePage() override;

    Level2MenuBar* menuBar() const { return m_level2MenuBar; }
    BlockWidget* rightWidget() const { return m_rightWidget; }
    QWidget* leftWidget() const { return m_leftWidget; }

private:
    void initUI();
    QWidget* initLeftWidget();

    Level2MenuBar* m_level2MenuBar = nullptr;
    BlockWidget* m_rightWidget = nullptr;
    QWidget* m_leftWidget = nullptr;
};
