// The About window: TQtAboutForm's widgets as the IAboutView of a TAboutDlg,
// which fills the texts and answers the links. The program block owns the
// TAboutDlg, as on Windows; the window only forwards its buttons to it.
#pragma once

#include "ui/U_about.h"
#include "ui/qt/QtAboutForm.h"
#include "ui/qt/QtDesktop.h"

#include <functional>
#include <string>

class TQtAboutView : public TQtAboutForm, public IAboutView {
    Q_OBJECT
public:
    // Guard runs each forwarded click and shows an error that escapes it.
    using TGuard = std::function<void(const std::function<void()>&)>;

    TQtAboutView(QWidget* Owner, IQtDesktop& Desktop, TGuard Guard);

    // From here on the buttons reach Controller.
    void Attach(TAboutDlg* Controller);

    // IAboutView
    void SetCaption(const std::string& Caption) override;
    void SetAppNameText(const std::string& Text) override;
    void SetVersionText(const std::string& Text) override;
    bool ShowModal() override;
    void OpenAddress(const std::string& Address) override;

private:
    void Forward(void (TAboutDlg::*Handler)());

    TAboutDlg* Controller = nullptr;
    IQtDesktop& Desktop;
    TGuard Guard;
};
