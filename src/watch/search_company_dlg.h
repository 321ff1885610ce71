#pragma once

#include <string>

#include "db/recordsets.h"
#include "platform/ui/dialog.h"
#include "watch/new_listing_dlg.h"
#include "watch/watch_items.h"

// "Search Company to Watch": finds a company in the catalogue by part of its name on the
// chosen exchange, with optional alert limits; or adds a company the catalogue lacks straight
// into the watch list page that opened it (then it closes with OK and an empty company name).
class CSearchCompanyDlg final : public ui::CDialog {
    Q_OBJECT
public:
    static constexpr int IDD = 136;
    static constexpr int IDC_RESULT_LIST = 1017;
    static constexpr int IDC_SEARCH_TEXT = 1018;
    static constexpr int IDC_NSE = 1019;
    static constexpr int IDC_BSE = 1020;
    static constexpr int IDC_SEARCH = 1021;
    static constexpr int IDC_ADD_NEW_LISTING = 1051;
    static constexpr int IDC_SET_ALERT = 1130;
    static constexpr int IDC_LOWER_LIMIT = 1131;
    static constexpr int IDC_UPPER_LIMIT = 1132;

    // `watchList`: the page that opened the dialog; a new listing goes into it.
    explicit CSearchCompanyDlg(IWatchList* watchList, QWidget* parent = nullptr);

    // Kept for the caller after OK.
    const std::string& CompanyName() const { return m_strCompanyName; }
    const std::string& Exchange() const { return m_strExchange; } // "NSE" or "BSE"
    const std::string& Symbol() const { return m_strSymbol; }
    int AlertSetting() const { return m_nAlertSetting; }
    double LowerLimit() const { return m_dLowerLimit; }
    double UpperLimit() const { return m_dUpperLimit; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // `typed`: started by a change of the search text, which stays silent below 3 letters.
    void Search(bool typed);
    void OnAddNewListing();
    bool IsNse() const;
    void OnSetAlert();
    // Reads a limit edit with the range check; false (after the message) when refused.
    bool ReadLimit(int id, double& value);
    bool RecordInCatalogue(const NewListing& listing, const ValidatedFlags& flags);
    void ReportDbError(const std::string& error);

    IWatchList* m_pWatchList;
    CCompanyListset m_rsCompany; // open from a search until the next one or the dialog's end
    CNewListingDlg m_dlgNewListing;

    std::string m_strCompanyName;
    std::string m_strExchange;
    std::string m_strSymbol;
    int m_nAlertSetting = 0;
    double m_dLowerLimit = 0;
    double m_dUpperLimit = 0;
};
