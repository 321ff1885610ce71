#pragma once

#include "app/price_source.h"
#include "platform/ui/dialog.h"

// The About box.
class CAboutDlg final : public ui::CDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(PriceSource source, QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;

private:
    PriceSource m_priceSource;
};
