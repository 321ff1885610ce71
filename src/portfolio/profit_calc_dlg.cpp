#include "portfolio/profit_calc_dlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "controls/color_button.h"
#include "db/operations.h"
#include "portfolio/core/portfolio_tables.h"
#include "portfolio/core/profit_calc.h"
#include "portfolio/portfolio_look.h"

namespace {

void MakeResultLabel(QLabel* label, const char* face) {
    QFont f(face);
    f.setPixelSize(24);
    f.setWeight(QFont::Bold);
    label->setFont(f);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, ui::ToQColor(RGB(0, 0, 255)));
    label->setPalette(pal);
}

} // namespace

CProfitCalcDlg::CProfitCalcDlg(QWidget* parent) : ui::CDialog(IDD, parent) {
    setWindowTitle("PROFIT Calculator");
    SetTemplateSize(300, 204);
    Add<QRadioButton>(IDC_PC_DELIVERY, 12, 9, 44, 10)->setText("Delivery");
    Add<QRadioButton>(IDC_PC_INTRADAY, 60, 9, 44, 10)->setText("Intraday");
    AddStatic(-1, "Broker", 132, 10, 26, 8);
    m_combo = Add<QComboBox>(IDC_PC_BROKER, 160, 7, 133, 14);

    AddGroup(-1, "To Gain Certain Amount, what should be Selling Price ?", 7, 26, 286, 72);
    AddStatic(-1, "No. of Shares", 14, 46, 62, 8);
    Add<QLineEdit>(IDC_PC_SHARES1, 14, 56, 62, 12);
    AddStatic(-1, "Avg Cost Price", 82, 46, 62, 8);
    Add<QLineEdit>(IDC_PC_COST1, 82, 56, 62, 12);
    AddStatic(-1, "Looking for\nGain(in Rs)", 150, 38, 62, 17);
    Add<QLineEdit>(IDC_PC_GAIN, 150, 56, 62, 12);
    Add<CColorButton>(IDC_PC_CALC1, 226, 55, 56, 14, std::string("Calculate"));
    AddStatic(-1, "Selling Price :\n(per share)", 14, 75, 62, 17);
    MakeResultLabel(AddStatic(IDC_PC_RESULT1, "", 82, 74, 200, 18), "MyFontd");

    AddGroup(-1, "If sold at Certain Price, what will be my Profit/Loss ?", 7, 104, 286, 74);
    AddStatic(-1, "No. of Shares", 14, 132, 62, 8);
    Add<QLineEdit>(IDC_PC_SHARES2, 14, 142, 62, 12);
    AddStatic(-1, "Avg Cost Price", 82, 132, 62, 8);
    Add<QLineEdit>(IDC_PC_COST2, 82, 142, 62, 12);
    AddStatic(-1, "If Sold at\nSelling Price\n( per share)", 150, 115, 62, 26);
    Add<QLineEdit>(IDC_PC_PRICE, 150, 142, 62, 12);
    Add<CColorButton>(IDC_PC_CALC2, 226, 141, 56, 14, std::string("Calculate"));
    AddStatic(-1, "Total\nProfit/Loss :", 14, 159, 62, 17);
    MakeResultLabel(AddStatic(IDC_PC_RESULT2, "", 82, 158, 200, 18), "MyFonti");

    auto* close = Add<CColorButton>(ui::IDCANCEL, 125, 184, 50, 14, std::string("Close"));
    connect(close, &QPushButton::clicked, this, [this] { OnCancel(); });
    OnClicked(IDC_PC_CALC1, &CProfitCalcDlg::OnCalculate1);
    OnClicked(IDC_PC_CALC2, &CProfitCalcDlg::OnCalculate2);
    for (int id : {IDC_PC_DELIVERY, IDC_PC_INTRADAY})
        OnClicked(id, &CProfitCalcDlg::OnRecalculateBoth);
    connect(m_combo, &QComboBox::activated, this, &CProfitCalcDlg::OnRecalculateBoth);
}

bool CProfitCalcDlg::OnInitDialog() {
    // Look; every number starts at 0, the trade type at delivery.
    SetPageColor(colors::kPage);
    portfolio::AttachColorButtons(this, {IDC_PC_CALC1, IDC_PC_CALC2, ui::IDCANCEL});
    Control<QRadioButton>(IDC_PC_DELIVERY)->setChecked(true);
    for (int id :
         {IDC_PC_SHARES1, IDC_PC_COST1, IDC_PC_GAIN, IDC_PC_SHARES2, IDC_PC_COST2, IDC_PC_PRICE})
        SetDlgItemText(id, "0");
    const bool read =
        db::RunReported([this](const std::string& e) { portfolio::ShowDbError(this, e); },
                        [this] { m_brokers = portfolio::ReadBrokers(m_set); });
    if (!read)
        return true;
    if (m_brokers.empty()) {
        ui::messageBox(kMsgNoBrokerConfigured, ui::MB_OK, this);
        return true;
    }
    for (const BrokerRecord& b : m_brokers)
        m_combo->addItem(ui::Q(b.name));
    m_combo->setCurrentIndex(0);
    // Both answers for the zeros.
    OnRecalculateBoth();
    return true;
}

bool CProfitCalcDlg::ReadControls() {
    m_nTradeType = Control<QRadioButton>(IDC_PC_INTRADAY)->isChecked() ? 1 : 0;
    if (!portfolio::ReadIntField(this, IDC_PC_SHARES1, 0, 100000000, m_nShares1) ||
        !portfolio::ReadDoubleField(this, IDC_PC_COST1, 0, 10000, m_dCost1) ||
        !portfolio::ReadDoubleField(this, IDC_PC_GAIN, 0, 1000000000, m_dGain) ||
        !portfolio::ReadIntField(this, IDC_PC_SHARES2, 0, 100000000, m_nShares2) ||
        !portfolio::ReadDoubleField(this, IDC_PC_COST2, 0, 10000, m_dCost2) ||
        !portfolio::ReadDoubleField(this, IDC_PC_PRICE, 0, 10000, m_dPrice))
        return false;
    const int broker = m_combo->currentIndex();
    if (broker < 0 || broker >= static_cast<int>(m_brokers.size())) {
        // Without a broker there are no charges to price: say so again rather than show
        // figures that look charged and are not.
        ui::messageBox(kMsgNoBrokerConfigured, ui::MB_OK, this);
        return false;
    }
    m_rates = RatesOf(m_brokers[broker], m_nTradeType);
    return true;
}

void CProfitCalcDlg::ShowAnswer1() {
    SetDlgItemText(IDC_PC_RESULT1,
                   SellingPriceText(TargetSellingPrice(m_nShares1, m_dCost1, m_dGain, m_rates)));
}

void CProfitCalcDlg::ShowAnswer2() {
    SetDlgItemText(IDC_PC_RESULT2,
                   ProfitText(ProfitAtPrice(m_nShares2, m_dCost2, m_dPrice, m_rates)));
}

void CProfitCalcDlg::OnCalculate1() {
    if (ReadControls())
        ShowAnswer1();
}

void CProfitCalcDlg::OnCalculate2() {
    if (ReadControls())
        ShowAnswer2();
}

void CProfitCalcDlg::OnRecalculateBoth() {
    if (!ReadControls())
        return;
    ShowAnswer1();
    ShowAnswer2();
}
