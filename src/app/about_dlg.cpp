#include "app/about_dlg.h"

#include <QLabel>

#include "controls/color_button.h"

CAboutDlg::CAboutDlg(PriceSource source, QWidget* parent)
    : ui::CDialog(100, parent), m_priceSource(source) {
    setWindowTitle("Koravel Pro 2.3.0");
    SetTemplateSize(250, m_priceSource != PriceSource::Configured ? 74 : 62);
    auto* icon = AddStatic(-1, "", 11, 12, 24, 24);
    icon->setPixmap(
        QPixmap(":/bitmaps/128.png").scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    AddStatic(-1, "Koravel !", 44, 10, 140, 9);
    AddStatic(-1,
              "Yahoo! Finance is registered Trademark(R) or trademarks of \n        Yahoo! in the "
              "USA,Canada,India "
              "&& other countries.",
              44, 24, 200, 20);
    if (m_priceSource == PriceSource::Simulated)
        AddStatic(-1, "Prices come from the built-in simulated market, not from an exchange.", 44,
                  48, 200, 18);
    else if (m_priceSource == PriceSource::Live)
        AddStatic(-1,
                  std::string(kLiveLabel) +
                      ": delayed prices, for personal use only; toppers and futures as of "
                      "the last session.",
                  44, 48, 200, 18);
    auto* ok = Add<CColorButton>(ui::IDOK, 196, 7, 46, 14, std::string("OK"));
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    ok->setDefault(true);
}

bool CAboutDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    CColorButton::Attach(ui::IDOK, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                         colors::kBevel);
    return true;
}
