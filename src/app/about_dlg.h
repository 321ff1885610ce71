#pragma once

#include "platform/ui/dialog.h"

// The About box.
class CAboutDlg final : public ui::CDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(bool simulatedMarket, QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;

private:
    bool m_bSimulated;
};
