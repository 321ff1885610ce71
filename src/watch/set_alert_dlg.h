#pragma once

#include <string>

#include "platform/ui/dialog.h"

class QCheckBox;
class QLineEdit;

enum SetAlertControl {
    IDC_SA_NAME = 1097,
    IDC_SA_ENABLE = 1132,
    IDC_SA_LOWER = 1129,
    IDC_SA_UPPER = 1128
};

// "Set Limits for ALERT": a company's lower and upper limits and whether they alert.
class CSetAlertDlg final : public ui::CDialog {
    Q_OBJECT
public:
    // Without an alert both limits start at the current price.
    CSetAlertDlg(const std::string& companyName, int alertSetting, double lowerLimit,
                 double upperLimit, double price, QWidget* parent = nullptr);

    int AlertSetting() const { return m_nAlert; }
    double LowerLimit() const { return m_dLower; }
    double UpperLimit() const { return m_dUpper; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void EnableEdits();

    int m_nAlert;
    double m_dLower, m_dUpper;
    QCheckBox* m_check = nullptr;
    QLineEdit* m_lower = nullptr;
    QLineEdit* m_upper = nullptr;
};

// "ALERT & Data Logger Help".
class CAlertHelpDlg final : public ui::CDialog {
    Q_OBJECT
public:
    explicit CAlertHelpDlg(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
};

// A double as an edit field shows it: "1250", "450.55".
std::string EditNumberText(double value);
