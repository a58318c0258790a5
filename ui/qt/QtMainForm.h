// The main window's widgets, laid out at the design's fixed pixel positions.
// No behaviour lives here: TQtMainView connects the widgets to the controller.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

#include <array>
#include <functional>
#include <memory>

class QStyle;

// A label that reports a click with the left button ("Download").
class TClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override;
};

// The client area: keeps the design's positions and moves only the "Sign"
// button and the progress bar when the window is resized; Enter that no
// child takes presses the default button.
class TClientArea : public QWidget {
public:
    explicit TClientArea(QWidget* Parent);
    QPushButton* DefaultButton = nullptr;
    std::function<void()> OnResized;

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
};

class TQtMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TQtMainForm(QWidget* Parent = nullptr);
    ~TQtMainForm() override;

    // The design's client area and where the window first appears.
    static constexpr int ClientWidth = 656;
    static constexpr int ClientHeight = 514;
    static constexpr int DesignLeft = 198;
    static constexpr int DesignTop = 179;

    // The row pictures of status_imglst, indexed by TSignStatus.
    std::array<QIcon, 3> status_imglst;

    TClientArea* Client;

    QGroupBox* SignToolGroup;
    QToolButton* JvImgBtn1;
    QLineEdit* signtool_txt;
    QPushButton* browsesign_btn;
    TClickLabel* downloadSDK_lbl;

    QGroupBox* TimestampGroup;
    QToolButton* time_btn;
    QCheckBox* timestamp_chk;
    QComboBox* timestamp_txt;
    QComboBox* timeDigest_cmb;

    QGroupBox* CertificateGroup;
    QToolButton* JvImgBtn2;
    QLineEdit* certifpath_txt;
    QPushButton* browsecert_btn;
    QToolButton* JvImgBtn3;
    QLineEdit* password_txt;
    QCheckBox* password_chk;
    QComboBox* certDigest_cmb;

    QGroupBox* FilesGroup;
    QToolButton* JvImgBtn4;
    QTableWidget* lst;
    QPushButton* add_btn;
    QPushButton* remove_btn;
    QPushButton* ignore_btn;

    QGroupBox* LogGroup;
    QPlainTextEdit* Memo1;
    QPushButton* Clearlog_btn;

    QPushButton* sign_btn;
    QProgressBar* pb;

    QMenu* File1;
    QAction* Quit1;
    QMenu* Help1;
    QAction* OpenLog1;
    QAction* Checkforupdate1;
    QAction* About1;
    QAction* BugreportFeaturerequestKnownissues1;
    QAction* ChangeLog1;

private:
    // The password field's style: draws "*" for each character. A widget
    // does not own its style, so the form keeps it beyond the field.
    std::unique_ptr<QStyle> PasswordStyle;

    void BuildMenu();
    void PlaceMovingControls();
};
