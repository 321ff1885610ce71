#include "charts/hist_chart_dlg.h"

#include <iterator>
#include <map>

#include <QCheckBox>
#include <QGroupBox>

#include "charts/image_view.h"
#include "controls/chart_opener.h"
#include "controls/color_button.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/service_url.h"
#include "quotes/quote_request.h"

namespace {

struct ButtonDef {
    int id;
    const char* caption;
    const char* value; // what the button appends or sets
};

const ButtonDef kRange[] = {{IDC_HC_1D, "1d", "0"}, {IDC_HC_5D, "5d", "2"}, {IDC_HC_1M, "1m", "4"},
                            {IDC_HC_3M, "3m", "5"}, {IDC_HC_6M, "6m", "6"}, {IDC_HC_1Y, "1y", "7"},
                            {IDC_HC_2Y, "2y", "8"}};
const ButtonDef kType[] = {
    {IDC_HC_BAR, "Bar", "b"}, {IDC_HC_LINE, "Line", "l"}, {IDC_HC_CDL, "Cdl", "c"}};
const ButtonDef kScale[] = {{IDC_HC_LINEAR, "Linear", "off"}, {IDC_HC_LOG, "Log", "on"}};
const ButtonDef kSize[] = {{IDC_HC_SIZE_M, "M", "m"}, {IDC_HC_SIZE_L, "L", "l"}};
const ButtonDef kMovingAverage[] = {{IDC_HC_MA5, "5", ",m5"},       {IDC_HC_MA10, "10", ",m10"},
                                    {IDC_HC_MA20, "20", ",m20"},    {IDC_HC_MA50, "50", ",m50"},
                                    {IDC_HC_MA100, "100", ",m100"}, {IDC_HC_MA200, "200", ",m200"}};
const ButtonDef kEma[] = {{IDC_HC_EMA5, "5", ",e5"},       {IDC_HC_EMA10, "10", ",e10"},
                          {IDC_HC_EMA20, "20", ",e20"},    {IDC_HC_EMA50, "50", ",e50"},
                          {IDC_HC_EMA100, "100", ",e100"}, {IDC_HC_EMA200, "200", ",e200"}};
const ButtonDef kOverlays[] = {{IDC_HC_BOLLINGER, "Bollinger Bands", ",b"},
                               {IDC_HC_SAR, "Parabolic SAR", ",p"},
                               {IDC_HC_SPLITS, "Splits", ",s"},
                               {IDC_HC_VOLUME, "Volume", ",v"}};
const ButtonDef kIndicators[] = {{IDC_HC_MACD, "MACD", ",m26-12-9"},
                                 {IDC_HC_MFI, "MFI", ",f14"},
                                 {IDC_HC_ROC, "ROC", ",p12"},
                                 {IDC_HC_RSI, "RSI", ",r14"},
                                 {IDC_HC_SLOW_STOCH, "Slow Stoch", ",ss"},
                                 {IDC_HC_FAST_STOCH, "Fast Stoch", ",fs"},
                                 {IDC_HC_VOL, "Vol", ",v"},
                                 {IDC_HC_VOL_MA, "Vol+MA", ",vm"},
                                 {IDC_HC_WR, "W%R", ",w14"}};

template <std::size_t N> const ButtonDef* Find(const ButtonDef (&defs)[N], int id) {
    for (const auto& d : defs)
        if (d.id == id)
            return &d;
    return nullptr;
}

template <std::size_t N> std::vector<int> Ids(const ButtonDef (&defs)[N]) {
    std::vector<int> ids;
    for (const auto& d : defs)
        ids.push_back(d.id);
    return ids;
}

} // namespace

CHistChartDlg::CHistChartDlg(const std::string& companyName, const std::string& indexName,
                             const std::string& symbol, QWidget* parent)
    : ui::CDialog(141, parent), m_strCompanyName(companyName), m_strIndexName(indexName),
      m_strSymbol(symbol) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromStdString("Historical Chart - " +
                                          (companyName.empty() ? symbol : companyName)));
    BuildTemplate();
}

CHistChartDlg::~CHistChartDlg() = default;

void CHistChartDlg::BuildTemplate() {
    SetTemplateSize(389, 429);
    auto* title = AddStatic(
        -1,
        m_strCompanyName.empty() ? ChartSymbol() : m_strCompanyName + "  (" + ChartSymbol() + ")",
        6, 4, 340, 10);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    Add<CColorButton>(IDC_HC_CLOSE, 370, 3, 14, 12, std::string("X"));
    m_browser = new CImageView(this);
    Place(m_browser, IDC_HC_BROWSER, 5, 17, 379, 262);

    // Button groups under the chart, each in its frame: a frame 27 units high with its row of
    // buttons 11 units below the frame's top and `inset` units in from its left.
    auto section = [this](const char* caption, int x, int y, int w, auto& defs, int buttonWidth,
                          int gap, int inset = 4) {
        AddGroup(-1, caption, x, y, w, 27);
        for (int bx = x + inset; const auto& d : defs) {
            Add<CColorButton>(d.id, bx, y + 11, buttonWidth, 12, std::string(d.caption));
            bx += buttonWidth + gap;
        }
    };
    section("Range", 5, 283, 136, kRange, 17, 2);
    section("Chart Type", 144, 283, 80, kType, 23, 2);
    section("Scale", 227, 283, 74, kScale, 32, 2);
    section("Size", 304, 283, 80, kSize, 26, 4, 12);
    section("Moving Average", 5, 313, 187, kMovingAverage, 28, 2);
    section("EMA", 197, 313, 187, kEma, 28, 2);
    section("Overlays", 5, 343, 379, kOverlays, 60, 4);
    AddGroup(-1, "Indicators", 5, 373, 379, 27);
    // The two stochastics have the longest captions: they get the room the short ones spare.
    const int indicatorWidths[] = {38, 34, 34, 34, 48, 48, 34, 38, 38};
    for (int i = 0, x = 9; i < static_cast<int>(std::size(kIndicators)); ++i) {
        Add<CColorButton>(kIndicators[i].id, x, 384, indicatorWidths[i], 12,
                          std::string(kIndicators[i].caption));
        x += indicatorWidths[i] + 2;
    }
    m_compare = Add<QCheckBox>(IDC_HC_COMPARE, 8, 408, 100, 12);
    m_compare->setText("With NSE/BSE Chart");
    AddStatic(-1, "52 Week Range", 186, 410, 56, 9);
    auto* range = AddStatic(IDC_HC_RANGE52, "", 244, 409, 140, 10);
    range->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    range->setAlignment(Qt::AlignCenter);

    for (QPushButton* b : findChildren<QPushButton*>()) {
        const int id = ui::ControlId(b);
        connect(b, &QPushButton::clicked, this, [this, id] { OnButton(id); });
    }
    connect(m_compare, &QCheckBox::toggled, this, [this](bool on) {
        m_choices.SetCompare(on);
        Navigate();
    });
}

bool CHistChartDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    for (QPushButton* b : findChildren<QPushButton*>())
        CColorButton::Attach(ui::ControlId(b), this, colors::kPage, colors::kButtonText,
                             colors::kDisabledText, colors::kBevel);
    // Line, Linear, 1d and M start chosen.
    for (int id : {IDC_HC_LINE, IDC_HC_LINEAR, IDC_HC_1D, IDC_HC_SIZE_M})
        SetTextColor(id, colors::kRed);
    // The chart.
    Navigate();
    // The 52-week range.
    FetchYearRange();
    return true;
}

std::string CHistChartDlg::Address() const {
    return m_choices.Address(inet::ServiceBase(inet::Service::Chart), ChartSymbol());
}

void CHistChartDlg::Navigate() {
    m_browser->Navigate(Address());
}

void CHistChartDlg::FetchYearRange() {
    try {
        CInternetSession session("Other Data", 1);
        auto file = session.OpenURL(BuildQuoteRequest(ChartSymbol(), kQuoteFormatRange), 1,
                                    INTERNET_FLAG_TRANSFER_ASCII);
        std::string line;
        if (file->ReadString(line)) {
            m_strYearRange = YearRangeText(line);
            SetDlgItemText(IDC_HC_RANGE52, m_strYearRange);
        }
        file->Close();
    } catch (const CInternetException&) {
        ui::messageBox("Internet Problem", ui::MB_OK | ui::MB_ICONWARNING, this);
    }
}

COLORREF CHistChartDlg::ButtonTextColor(int id) const {
    auto* b = Control<CColorButton>(id);
    return b ? b->TextColor() : colors::kBlack;
}

void CHistChartDlg::SetTextColor(int id, COLORREF color) {
    if (auto* b = Control<CColorButton>(id))
        b->SetColors(colors::kPage, color, colors::kDisabledText, colors::kBevel);
}

void CHistChartDlg::OnButton(int id) {
    if (id == IDC_HC_CLOSE) {
        OnCancel();
        return;
    }
    auto choose = [&](auto& defs) {
        const std::vector<int> ids = Ids(defs);
        for (int other : ids)
            SetTextColor(other, other == id ? colors::kRed : colors::kBlack);
    };
    if (const ButtonDef* d = Find(kRange, id)) {
        m_choices.SetRange(std::atoi(d->value));
        choose(kRange);
    } else if (const ButtonDef* d = Find(kType, id)) {
        m_choices.SetType(d->value);
        choose(kType);
    } else if (const ButtonDef* d = Find(kScale, id)) {
        m_choices.SetScale(d->value);
        choose(kScale);
    } else if (const ButtonDef* d = Find(kSize, id)) {
        m_choices.SetSize(d->value);
        choose(kSize);
    } else if (const ButtonDef* d = Find(kMovingAverage, id); d || (d = Find(kEma, id))) {
        if (m_choices.AddAverage(d->value))
            SetTextColor(id, colors::kRed);
    } else if (const ButtonDef* d = Find(kOverlays, id)) {
        m_choices.AddOverlay(d->value);
        SetTextColor(id, colors::kRed);
    } else if (const ButtonDef* d = Find(kIndicators, id)) {
        m_choices.AddIndicator(d->value);
        SetTextColor(id, colors::kRed);
    } else {
        return;
    }
    Navigate();
}

void CHistChartDlg::OnCancel() {
    hide();
    deleteLater(); // the X destroys the page; its creator's pointer clears itself
}

CHistChartDlg* CHistChartDlg::Open(QWidget* parentList, const std::string& company,
                                   const std::string& indexName, const std::string& symbol) {
    auto* page = new CHistChartDlg(company, indexName, symbol, parentList);
    page->Create(true);
    return page;
}

void InstallHistChartOpener() {
    SetChartOpener([](QWidget* list, const std::string& company, const std::string& indexName,
                      const std::string& symbol) -> QWidget* {
        return CHistChartDlg::Open(list, company, indexName, symbol);
    });
}
