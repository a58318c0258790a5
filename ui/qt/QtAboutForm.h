// The About window's widgets at the design's fixed pixel positions; the texts
// and the links come from the controller's TAboutDlg.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

class TQtAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TQtAboutForm(QWidget* Owner);

    static constexpr int ClientWidth = 389;
    static constexpr int ClientHeight = 285;

    QLabel* Image1;
    QGroupBox* all_grp;
    QGroupBox* Application_grp;
    QLabel* appname_lbl;
    QLabel* version_lbl;
    QGroupBox* tandrel_grp;
    QPushButton* email_btn;
    QPushButton* web_btn;
    QPushButton* forum_btn;
    QPushButton* ok_btn;

    // Centres the window on its owner, as the design places it.
    void CentreOnOwner();
};
