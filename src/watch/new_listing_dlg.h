#pragma once

#include <string>

#include "platform/ui/dialog.h"
#include "watch/core/search_rules.h"

// "Add a new Listing": a company the catalogue lacks, with its NSE and/or BSE symbol, which
// must pass a validation against the quote service before Add is possible. The search dialog
// keeps one object for its whole life, so names validated in an earlier run stay validated.
class CNewListingDlg final : public ui::CDialog {
    Q_OBJECT
public:
    static constexpr int IDD = 156;
    static constexpr int IDC_COMPANY_NAME = 1018;
    static constexpr int IDC_NSE_NAME = 1053;
    static constexpr int IDC_BSE_NAME = 1054;
    static constexpr int IDC_VALIDATE = 1055;
    static constexpr int IDC_ADD = 1056;
    static constexpr int IDC_NSE_RESULT = 1057;
    static constexpr int IDC_BSE_RESULT = 1058;
    static constexpr int IDC_FIND_SYMBOL = 1059;

    explicit CNewListingDlg(QWidget* parent = nullptr);

    // Every run starts with Add disabled, whatever an earlier run validated.
    int DoModal();

    // After Add: the trimmed company name and symbols.
    const NewListing& Listing() const { return m_listing; }
    const ValidatedFlags& Flags() const { return m_flags; }

protected:
    bool OnInitDialog() override;
    // Enter adds only when Add could be pressed.
    void OnOK() override;

private:
    void OnValidate();
    void OnAdd();
    void OnFindSymbol();
    std::string Field(int id) const;
    void EnableAdd(bool enable);

    NewListing m_listing;
    ValidatedFlags m_flags;
};
