#pragma once
// The add-seal wizard of a company: CAddSealDialog takes the seal picture (a PNG file of at most
// 2 MB and exactly 166 x 166 pixels), CSealNextDialog asks for the seal's name, type and size,
// uploads the picture and registers the seal. The seals page runs it from its add-seal button:
//
//     CAddSealDialog wizard(g_topWidget);
//     connect(&wizard, &CAddSealDialog::addSealSucess, page, &UserSignatureFrame::sync);
//     wizard.exec();
//
// addSealSucess() comes while that exec() still runs, after the seal was registered; a wizard
// cancelled at either step sends nothing.

#include "ParentDialog.h"

#include <QStringList>
#include <functional>

class LoadingWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class CAddSealDialog : public ParentDialog
{
    Q_OBJECT
public:
    explicit CAddSealDialog(QWidget* parent = nullptr);

    // Test seam: answers the open-file dialogs of the wizard (arguments as
    // QFileDialog::getOpenFileName's; an empty answer cancels). Empty: the real dialog.
    using FileChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& dir,
                                              const QString& filter)>;
    static void setFileChooser(FileChooser chooser);
    // Asks for the seal picture as the wizard does.
    static QString chooseSealPicture();

    QString imagePath() const { return imgPath; }
    QLabel* pictureLabel() const { return frImgLabel; }
    QPushButton* nextButton() const { return m_next; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* tutorialButton() const { return m_tutorial; }

signals:
    // The second step registered the seal.
    void addSealSucess();

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override;

private:
    void next();
    void openTutorial();

    QLabel* frImgLabel = nullptr;
    QString imgPath;
    QPushButton* m_next = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_tutorial = nullptr;
};

class CSealNextDialog : public ParentDialog
{
    Q_OBJECT
public:
    CSealNextDialog(const QString& imgPath, QWidget* parent = nullptr);

    // The size value sent for a size text: "40毫米*40毫米" (also "40*40", "40mm*40mm") gives
    // "40*40"; a text that names no size gives an empty value.
    static QString sizeValueFor(const QString& sizeText);

    QString uploadPath() const { return m_imgPath; }
    QString sizeValue() const { return m_sizeStr; }
    QLabel* pictureLabel() const { return imgLabel; }
    QLineEdit* nameEdit() const { return lineEdit; }
    QComboBox* typeBox() const { return m_sealTypeCombox; }
    QComboBox* sizeBox() const { return m_sealSizeCom; }
    QListWidget* sizePopup() const { return m_sizeView; }
    LoadingWidget* loadingWidget() const { return m_loading; }
    QPushButton* reuploadButton() const { return m_reupload; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* cancelButton() const { return m_cancel; }

public slots:
    // The type box changed: the size of that type is shown (and sent).
    void sealTypeComIndexChange(int arg);
    // A row of the size drop-down was chosen: its size is shown (and sent) and the drop-down
    // closes.
    void showAccount(QString arg);

private:
    void reupload();
    void add();

    QLabel* imgLabel = nullptr;
    QLineEdit* lineEdit = nullptr;
    QComboBox* m_sealTypeCombox = nullptr;
    QComboBox* m_sealSizeCom = nullptr;
    QListWidget* m_sizeView = nullptr;
    LoadingWidget* m_loading = nullptr;
    QStringList m_sizeList;
    // What "添加" sends: always the value of the size the box shows (empty when it shows none).
    QString m_sizeStr;
    QString m_imgPath;
    QPushButton* m_reupload = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_cancel = nullptr;
};

// One row of the size drop-down: the size and what it suits. A left press followed by a release
// reports the row's size.
class ComBoxListWidget : public QWidget
{
    Q_OBJECT
public:
    ComBoxListWidget(QWidget* parent, QString sizeStr, QString desStr);

    QString sizeText() const;

signals:
    void showAccount(QString sizeText);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QLabel* label = nullptr;
    bool mouse_press = false;
};

// An empty "添加印章" frame; no screen opens it.
class VideoWebView : public ParentDialog
{
    Q_OBJECT
public:
    explicit VideoWebView(QWidget* parent = nullptr);
};
