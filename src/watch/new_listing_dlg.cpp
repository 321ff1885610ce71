#include "watch/new_listing_dlg.h"

#include <QLineEdit>

#include "controls/color_button.h"
#include "controls/core/web_address.h"
#include "platform/base/symbol_name.h"
#include "platform/base/text.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/service_url.h"
#include "quotes/quote_request.h"

CNewListingDlg::CNewListingDlg(QWidget* parent) : ui::CDialog(IDD, parent) {
    setWindowTitle(QStringLiteral("Add a new Listing"));
    SetTemplateSize(240, 130);
    AddStatic(-1, "Company Name", 7, 9, 60, 9);
    Add<QLineEdit>(IDC_COMPANY_NAME, 70, 7, 163, 13);
    AddStatic(-1, "NSE Name", 7, 27, 60, 9);
    Add<QLineEdit>(IDC_NSE_NAME, 70, 25, 80, 13);
    AddStatic(-1, "(without  .NS)", 156, 27, 77, 9);
    AddStatic(-1, "BSE Name", 7, 45, 60, 9);
    Add<QLineEdit>(IDC_BSE_NAME, 70, 43, 80, 13);
    AddStatic(-1, "(without  .BO)", 156, 45, 77, 9);

    auto* validate = Add<CColorButton>(IDC_VALIDATE, 70, 63, 50, 14, std::string("Validate"));
    auto* find = Add<CColorButton>(IDC_FIND_SYMBOL, 126, 63, 55, 14, std::string("Find Symbol"));
    AddStatic(IDC_NSE_RESULT, kValidationResultText, 70, 84, 163, 9);
    AddStatic(IDC_BSE_RESULT, kValidationResultText, 70, 95, 163, 9);
    auto* add = Add<CColorButton>(IDC_ADD, 128, 110, 50, 14, std::string("Add"));
    auto* cancel = Add<CColorButton>(ui::IDCANCEL, 183, 110, 50, 14, std::string("Cancel"));

    connect(validate, &QPushButton::clicked, this, [this] { OnValidate(); });
    connect(find, &QPushButton::clicked, this, [this] { OnFindSymbol(); });
    connect(add, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

int CNewListingDlg::DoModal() {
    EnsureInitialized();
    EnableAdd(false);
    if (auto* name = Control<QLineEdit>(IDC_COMPANY_NAME))
        name->setFocus();
    return CDialog::DoModal();
}

bool CNewListingDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    for (int id : {IDC_VALIDATE, IDC_FIND_SYMBOL, IDC_ADD, ui::IDCANCEL})
        CColorButton::Attach(id, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                             colors::kBevel);
    EnableAdd(false);
    return true;
}

void CNewListingDlg::OnOK() {
    auto* add = Control<QPushButton>(IDC_ADD);
    if (add && add->isEnabled())
        OnAdd();
}

std::string CNewListingDlg::Field(int id) const {
    return text::Trim(GetDlgItemText(id));
}

void CNewListingDlg::EnableAdd(bool enable) {
    if (auto* add = Control<QPushButton>(IDC_ADD))
        add->setEnabled(enable);
}

void CNewListingDlg::OnValidate() {
    const std::string nse = Field(IDC_NSE_NAME);
    const std::string bse = Field(IDC_BSE_NAME);
    if (nse.empty() && bse.empty()) {
        ui::messageBox(kMsgNoSymbolGiven, ui::MB_OK, this);
        EnableAdd(false);
        return;
    }
    // A name that is no trading symbol is not even asked: whatever a service answers for
    // it, it would end up naming files.
    for (const std::string& name : {nse, bse})
        if (!name.empty() && !symbols::IsValidSymbol(name)) {
            ui::messageBox(symbols::InvalidSymbolMessage(name), ui::MB_OK, this);
            EnableAdd(false);
            return;
        }
    std::vector<std::string> lines;
    try {
        CInternetSession session("ValidationSession", 1);
        lines = inet::ReadAllLines(
            session, BuildQuoteRequest(ValidationSymbolList(nse, bse), kQuoteFormatShort));
    } catch (const CInternetException&) {
        lines.clear();
    }
    const ValidationAnswer answer = ReadValidationAnswer(lines, nse, bse);
    if (!answer.Answered()) {
        ui::messageBox(kMsgValidationOffline, ui::MB_OK, this);
        EnableAdd(false);
        return;
    }
    if (answer.nse != SymbolCheck::NotAsked)
        SetDlgItemText(IDC_NSE_RESULT, NseValidationText(answer.nse == SymbolCheck::Passed));
    if (answer.bse != SymbolCheck::NotAsked)
        SetDlgItemText(IDC_BSE_RESULT, BseValidationText(answer.bse == SymbolCheck::Passed));
    m_flags.Apply(answer);
    EnableAdd(m_flags.Any());
}

void CNewListingDlg::OnAdd() {
    const std::string name = Field(IDC_COMPANY_NAME);
    if (name.empty()) {
        ui::messageBox(kMsgNoCompanyName, ui::MB_OK, this);
        return;
    }
    for (int id : {IDC_NSE_NAME, IDC_BSE_NAME})
        if (const std::string symbol = Field(id);
            !symbol.empty() && !symbols::IsValidSymbol(symbol)) {
            ui::messageBox(symbols::InvalidSymbolMessage(symbol), ui::MB_OK, this);
            return;
        }
    m_listing = {name, Field(IDC_NSE_NAME), Field(IDC_BSE_NAME)};
    EndDialog(ui::IDOK);
}

void CNewListingDlg::OnFindSymbol() {
    const std::string name = Field(IDC_COMPANY_NAME);
    if (!IsLongEnoughToSearch(name)) {
        ui::messageBox(kMsgLookupTooShort, ui::MB_OK, this);
        return;
    }
    const std::string url = inet::BuildServiceUrl(inet::Service::Lookup, "/lookup", {{"s", name}});
    // A lookup base set to anything but a web address must not start a local program.
    if (IsWebAddress(url))
        ui::OpenWebAddress(url, this);
}
