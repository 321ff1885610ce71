#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/watch_table.h"

// The rules of the company search and of adding a new listing, apart from their dialogs.

// Messages of the search dialogs.
inline constexpr const char* kMsgSearchTooShort =
    "Please enter atleast 3 letters in the company name!!";
inline constexpr const char* kMsgNoCompanyFound =
    "SORRY !!!No Company Name found containing entered text within the selected Index ";
inline constexpr const char* kMsgSelectCompany = "Please select at least one company to add";
inline constexpr const char* kMsgLimitZero = "Lower Limit or Upper Limit can't be ZERO";
inline constexpr const char* kMsgLimitOrder =
    "Lower Limit can't be greater than or equal to Upper Limit";
inline constexpr const char* kMsgNoSymbolGiven = "Please write atleast one of NSE & BSE name";
inline constexpr const char* kMsgValidationOffline =
    "Internet Error:: Can't do validation at the moment";
inline constexpr const char* kMsgNoCompanyName = "Please write a Name for Company Name";
inline constexpr const char* kMsgLookupTooShort =
    "Please write atleat 3 letters of the company name";
inline constexpr const char* kValidationResultText = "Validation Result";

// The range the alert limit edits accept.
inline constexpr double kMinLimit = 0;
inline constexpr double kMaxLimit = 10000;
// The search result dialog keeps no more companies than this.
inline constexpr int kMaxSearchResults = 100;

// The catalogue is searched (and the lookup page opened) only for a text of at least three
// characters.
bool IsLongEnoughToSearch(std::string_view text);

enum class SearchStart {
    Run,          // search the catalogue
    StopSilently, // typing has not reached three characters yet
    Refuse,       // an explicit search with too short a text: say so
};
// `typed`: the search was started by a change of the text, not by a command.
SearchStart StartSearch(std::string_view text, bool typed);

// Empty when OK may close with these limits; otherwise the refusal to show. Without an alert
// the limits are not looked at.
std::string CheckAlertLimits(bool alertSet, double lowerLimit, double upperLimit);

// The symbols a new listing's validation asks for: the NSE name + ".NS", a comma when both
// names are given, the BSE name + ".BO". An empty name is left out.
std::string ValidationSymbolList(std::string_view nseName, std::string_view bseName);

enum class SymbolCheck {
    NotAsked,    // no name given for that exchange
    Passed,      // the service knows the symbol
    Failed,      // its line carries "N/A"
    NotAnswered, // no line for it, or a line that is not about it
};

struct ValidationAnswer {
    SymbolCheck nse = SymbolCheck::NotAsked;
    SymbolCheck bse = SymbolCheck::NotAsked;

    // False when not one of the asked symbols got its line: the service did not answer.
    bool Answered() const;
};

// Reads the service's answer to the request of ValidationSymbolList: the NSE symbol's line
// comes first, the BSE symbol's after it (first when only the BSE name was asked). A line
// counts for a symbol only when its first field names that symbol, so an error page never
// passes a name.
ValidationAnswer ReadValidationAnswer(const std::vector<std::string>& lines,
                                      std::string_view nseName, std::string_view bseName);

// "NSE Name Validation PASSED" / "... FAILED" and the same for BSE.
std::string NseValidationText(bool passed);
std::string BseValidationText(bool passed);

// Which exchanges' names have passed a validation. Flags are only ever set: a name that
// passed once stays validated while the object that holds the flags lives.
struct ValidatedFlags {
    bool nse = false;
    bool bse = false;

    bool Any() const { return nse || bse; }
    void Apply(const ValidationAnswer& answer);
};

// A company the user adds that the catalogue may not hold yet. Texts are trimmed.
struct NewListing {
    std::string companyName;
    std::string nseSymbol;
    std::string bseSymbol;
};

// The watch items a new listing appends to the list `existing`: one per validated, non-empty
// symbol that the list does not already hold on that exchange, without alert.
std::vector<db::WatchRow> NewListingItems(const NewListing& listing, const ValidatedFlags& flags,
                                          const std::vector<db::WatchRow>& existing);

// The catalogue row a new listing adds, given whether a row with its NSE symbol and one with
// its BSE symbol exist already. Only validated symbols the catalogue lacks are recorded, the
// other column stays empty; with nothing to record no row is added.
struct CatalogueRow {
    bool add = false;
    std::string companyName;
    std::string bseName;
    std::string nseName;
};
CatalogueRow NewListingCatalogueRow(const NewListing& listing, const ValidatedFlags& flags,
                                    bool nsePresent, bool bsePresent);
