#pragma once

#include <string>
#include <vector>

#include "db/recordsets.h"
#include "platform/ui/dialog.h"

// "Company Search Result": the catalogue's companies whose name contains a text, on one
// exchange, for callers that need a company and its symbol there (the portfolio's lots).
class CSearchResultDlg final : public ui::CDialog {
    Q_OBJECT
public:
    static constexpr int IDD = 170;
    static constexpr int IDC_RESULT_LIST = 1017;

    // `exchange`: "NSE" searches the NSE listings, anything else the BSE ones.
    CSearchResultDlg(std::string searchText, std::string exchange, QWidget* parent = nullptr);

    // After OK: the chosen company and its symbol on the exchange; empty without a choice.
    const std::string& CompanyName() const { return m_strCompanyName; }
    const std::string& Symbol() const { return m_strSymbol; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    struct Result {
        std::string companyName;
        std::string symbol;
    };

    void Search();

    std::string m_strSearchText;
    std::string m_strExchange;
    CCompanyListset m_rsCompany;
    std::vector<Result> m_results; // at most kMaxSearchResults, in the list's order
    std::string m_strCompanyName;
    std::string m_strSymbol;
};
