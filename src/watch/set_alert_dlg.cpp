#include "watch/set_alert_dlg.h"

#include <cstdio>

#include <QCheckBox>
#include <QLineEdit>

#include "controls/color_button.h"
#include "platform/base/paths.h"
#include "platform/base/validate.h"

std::string EditNumberText(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

CSetAlertDlg::CSetAlertDlg(const std::string& companyName, int alertSetting, double lowerLimit,
                           double upperLimit, double price, QWidget* parent)
    : ui::CDialog(176, parent), m_nAlert(alertSetting), m_dLower(alertSetting ? lowerLimit : price),
      m_dUpper(alertSetting ? upperLimit : price) {
    setWindowTitle("Set Limits for ALERT");
    SetTemplateSize(204, 76);
    auto* name =
        AddStatic(IDC_SA_NAME, companyName.empty() ? "CompName" : companyName, 8, 6, 188, 10);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    m_check = Add<QCheckBox>(IDC_SA_ENABLE, 8, 21, 10, 10);
    AddStatic(-1, "Set Alert", 20, 22, 50, 8);
    AddStatic(-1, "Lower Limit", 8, 39, 44, 8);
    m_lower = Add<QLineEdit>(IDC_SA_LOWER, 56, 37, 70, 12);
    AddStatic(-1, "Upper Limit", 8, 56, 44, 8);
    m_upper = Add<QLineEdit>(IDC_SA_UPPER, 56, 54, 70, 12);
    auto* ok = Add<CColorButton>(ui::IDOK, 146, 37, 50, 14, std::string("OK"));
    auto* cancel = Add<CColorButton>(ui::IDCANCEL, 146, 54, 50, 14, std::string("Cancel"));
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(m_check, &QCheckBox::toggled, this, [this] { EnableEdits(); });
    ok->setDefault(true);
}

bool CSetAlertDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    for (int id : {ui::IDOK, ui::IDCANCEL})
        CColorButton::Attach(id, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                             colors::kBevel);
    m_check->setChecked(m_nAlert != 0);
    m_lower->setText(QString::fromStdString(EditNumberText(m_dLower)));
    m_upper->setText(QString::fromStdString(EditNumberText(m_dUpper)));
    EnableEdits();
    return true;
}

void CSetAlertDlg::EnableEdits() {
    m_lower->setEnabled(m_check->isChecked());
    m_upper->setEnabled(m_check->isChecked());
}

void CSetAlertDlg::OnOK() {
    // Both fields are read, enabled or not, and must hold numbers from 0 to 10000.
    double lower = 0, upper = 0;
    for (auto [edit, value] : {std::pair{m_lower, &lower}, std::pair{m_upper, &upper}}) {
        const std::string error =
            validate::CheckDouble(edit->text().toStdString(), 0, 10000, value);
        if (!error.empty()) {
            ui::messageBox(error, ui::MB_OK | ui::MB_ICONWARNING, this);
            edit->setFocus();
            edit->selectAll();
            return;
        }
    }
    const int alert = m_check->isChecked() ? 1 : 0;
    if (alert) {
        if (lower == 0 || upper == 0) {
            ui::messageBox("Lower Limit or Upper Limit can't be ZERO",
                           ui::MB_OK | ui::MB_ICONWARNING, this);
            return;
        }
        if (lower >= upper) {
            ui::messageBox("Lower Limit can't be greater than or equal to Upper Limit",
                           ui::MB_OK | ui::MB_ICONWARNING, this);
            return;
        }
    }
    m_nAlert = alert;
    m_dLower = lower;
    m_dUpper = upper;
    EndDialog(ui::IDOK);
}

CAlertHelpDlg::CAlertHelpDlg(QWidget* parent) : ui::CDialog(177, parent) {
    setWindowTitle("ALERT & Data Logger Help");
    SetTemplateSize(300, 214);
    const char* texts[] = {
        "GREEN color indicates that Current Value is above or equal to Upper Limit/High",
        "RED color indicates that Current Value is below or equal to Lower Limit/Low",
        "Alerts as Pop-up Msg = Alert will come as pop-up messages even when Koravel is minimzed",
        "My Configured Alerts = Alert will come for your configured Ranges. For this color is "
        "displayed in "
        "\"Company Name\" && \"Index\" columns.",
        "Day High//Low Alerts = Alert will come for Day High Low Ranges. For this color is "
        "displayed in "
        "\"Volume\" && \"Open\" columns.",
        "Year High//Low Alerts* = Alert will come for Year High Low Ranges. For this color is "
        "displayed in "
        "\"High\" && \"Low\" columns.",
        "(* Year High/Low may not be Upto Date )",
        "EOD     =  If this is checked , data will be logged in C:\\Koravel\\EODData\\ "
        "<DateFolder> for all NSE "
        "stocks in Watch List with interval of Refresh Rate",
        "LiveData  =  If this is checked ,data will be logged in C:\\Koravel\\LiveData\\ for all "
        "NSE stocks in "
        "WatchList after Refresh Rate Interval",
    };
    int y = 7;
    for (const char* t : texts) {
        const bool shortLine = std::string(t).size() < 45;
        AddStatic(-1, paths::ShowDataRoot(t), 8, y, 284, shortLine ? 9 : 18);
        y += shortLine ? 12 : 21;
    }
    auto* ok = Add<CColorButton>(ui::IDOK, 125, y + 2, 50, 14, std::string("OK"));
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    ok->setDefault(true);
}

bool CAlertHelpDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    CColorButton::Attach(ui::IDOK, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                         colors::kBevel);
    return true;
}
