#include <functional>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include "controls/color_button.h"
#include "marketserver/market_server.h"
#include "platform/base/text.h"
#include "platform/inet/service_url.h"
#include "platform/odbc/sql_dialect.h"
#include "support/data_source_fixture.h"
#include "support/suite_market.h"
#include "support/temp_dir.h"
#include "support/ui_hooks.h"
#include "watch/new_listing_dlg.h"
#include "watch/search_company_dlg.h"
#include "watch/search_result_dlg.h"

namespace {

using testsupport::MessageBoxRecorder;
using Texts = std::vector<std::string>;
using Dlg = CSearchCompanyDlg;
using NL = CNewListingDlg;
using SR = CSearchResultDlg;

constexpr const char* kTooShort = "Please enter atleast 3 letters in the company name!!";
constexpr const char* kSorry =
    "SORRY !!!No Company Name found containing entered text within the selected Index ";
constexpr const char* kOffline = "Internet Error:: Can't do validation at the moment";

class FakeWatchList final : public IWatchList {
public:
    int ItemCount() const override { return static_cast<int>(items.size()); }
    const WatchItem& Item(int index) const override { return items.at(index); }
    void AppendItem(const WatchItem& item) override { items.push_back(item); }
    void AddWatchItem(const std::string&, const std::string&, const std::string&, int, double,
                      double) override {
        ADD_FAILURE() << "a new listing is appended, not added";
    }
    void RefreshWatchList() override { ++refreshes; }

    std::vector<WatchItem> items;
    int refreshes = 0;
};

Texts ListTexts(const ui::CDialog& dlg, int id) {
    Texts out;
    auto* list = dlg.Control<QListWidget>(id);
    for (int i = 0; i < list->count(); ++i)
        out.push_back(list->item(i)->text().toStdString());
    return out;
}

void Select(const ui::CDialog& dlg, int id, int row) {
    dlg.Control<QListWidget>(id)->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void Click(const ui::CDialog& dlg, int id) {
    dlg.Control<QAbstractButton>(id)->click();
}

void Type(const ui::CDialog& dlg, int id, const char* text) {
    dlg.Control<QLineEdit>(id)->setText(QString::fromUtf8(text));
}

// A fresh catalogue per test and the simulated market on loopback.
class SearchDialogsTest : public testsupport::SuiteMarketTest<DataSourceTest> {
protected:
    void TearDown() override {
        ui::SetModalHook(nullptr);
        SuiteMarketTest::TearDown();
    }
};

TEST_F(SearchDialogsTest, SearchRunsOnTypingSearchEnterAndTheRadios) {
    MessageBoxRecorder boxes;
    Dlg dlg(nullptr);
    dlg.EnsureInitialized();
    EXPECT_TRUE(dlg.Control<QRadioButton>(Dlg::IDC_NSE)->isChecked());

    Type(dlg, Dlg::IDC_SEARCH_TEXT, "ab");
    EXPECT_TRUE(boxes.Texts().empty()) << "typing stays silent below three letters";
    Click(dlg, Dlg::IDC_SEARCH);
    QTest::keyClick(dlg.Control<QLineEdit>(Dlg::IDC_SEARCH_TEXT), Qt::Key_Return);
    Click(dlg, Dlg::IDC_BSE);
    Click(dlg, Dlg::IDC_NSE);
    EXPECT_EQ(boxes.Texts(), Texts(4, kTooShort));
    EXPECT_EQ(dlg.result(), 0) << "Enter in the search text does not close the dialog";
    boxes.Clear();

    // "Kay" finds an NSE-only, a BSE-only and a company listed on both.
    Type(dlg, Dlg::IDC_SEARCH_TEXT, "Kay");
    EXPECT_EQ(ListTexts(dlg, Dlg::IDC_RESULT_LIST),
              (Texts{"Kay Cee Energy & Infra Ltd", "Kaynes Technology India Ltd"}));
    Click(dlg, Dlg::IDC_BSE);
    EXPECT_EQ(ListTexts(dlg, Dlg::IDC_RESULT_LIST),
              (Texts{"Kaycee Industries Ltd", "Kaynes Technology India Ltd"}));
    dlg.Control<QListWidget>(Dlg::IDC_RESULT_LIST)->clear();
    QTest::keyClick(dlg.Control<QLineEdit>(Dlg::IDC_SEARCH_TEXT), Qt::Key_Enter);
    EXPECT_EQ(ListTexts(dlg, Dlg::IDC_RESULT_LIST).size(), 2u);

    Type(dlg, Dlg::IDC_SEARCH_TEXT, "");
    Click(dlg, Dlg::IDC_NSE);
    EXPECT_TRUE(ListTexts(dlg, Dlg::IDC_RESULT_LIST).empty());
    EXPECT_TRUE(boxes.Texts().empty()) << "without a text a radio does nothing";
}

TEST_F(SearchDialogsTest, QuotesInTheTextAreTextNotStatement) {
    MessageBoxRecorder boxes;
    Dlg dlg(nullptr);
    dlg.EnsureInitialized();
    Type(dlg, Dlg::IDC_SEARCH_TEXT, "Reddy's");
    EXPECT_EQ(ListTexts(dlg, Dlg::IDC_RESULT_LIST), Texts{"Dr. Reddy's Laboratories Ltd"});

    const long before = Count("CompanyList");
    for (const char* text : {"x' OR '1'='1", "x'; DELETE FROM CompanyList; --"})
        Type(dlg, Dlg::IDC_SEARCH_TEXT, text);
    EXPECT_TRUE(ListTexts(dlg, Dlg::IDC_RESULT_LIST).empty());
    EXPECT_EQ(boxes.Texts(), Texts(2, kSorry));
    EXPECT_EQ(Count("CompanyList"), before);

    // A database error shows the data source's own text.
    m_db.ExecuteSQL("DROP TABLE CompanyList");
    boxes.Clear();
    Type(dlg, Dlg::IDC_SEARCH_TEXT, "Infosys");
    ASSERT_EQ(boxes.Texts().size(), 1u);
    // The engine names the missing table in its own case.
    EXPECT_NE(text::ToLowerAscii(boxes.Texts()[0]).find("companylist"), std::string::npos)
        << boxes.Texts()[0];
}

TEST_F(SearchDialogsTest, OkTakesTheChosenRowsSymbolOnTheChosenExchange) {
    m_db.ExecuteSQL("INSERT INTO CompanyList (COMPNAME, BSENAME, NSENAME) "
                    "VALUES ('Tata Dual Listing Ltd', '590001', 'TATADUAL')");
    for (const bool bse : {false, true}) {
        MessageBoxRecorder boxes;
        Dlg dlg(nullptr);
        dlg.EnsureInitialized();
        if (bse)
            Click(dlg, Dlg::IDC_BSE);
        Type(dlg, Dlg::IDC_SEARCH_TEXT, "Tata");
        const Texts names = ListTexts(dlg, Dlg::IDC_RESULT_LIST);
        ASSERT_EQ(names.size(), 12u);
        EXPECT_EQ(names[0], "Tata Chemicals Ltd");
        EXPECT_EQ(names[4], "Tata Dual Listing Ltd");

        Click(dlg, ui::IDOK);
        EXPECT_EQ(boxes.Texts(), Texts{"Please select at least one company to add"});
        EXPECT_EQ(dlg.result(), 0);
        Select(dlg, Dlg::IDC_RESULT_LIST, 4);
        Click(dlg, ui::IDOK);
        ASSERT_EQ(dlg.result(), ui::IDOK);
        EXPECT_EQ(dlg.CompanyName(), "Tata Dual Listing Ltd");
        EXPECT_EQ(dlg.Exchange(), bse ? "BSE" : "NSE");
        EXPECT_EQ(dlg.Symbol(), bse ? "590001" : "TATADUAL");
        EXPECT_EQ(dlg.AlertSetting(), 0);
    }
}

TEST_F(SearchDialogsTest, LimitsAreRangeCheckedAndTestedOnlyWithAnAlert) {
    MessageBoxRecorder boxes;
    Dlg dlg(nullptr);
    dlg.EnsureInitialized();
    auto* lower = dlg.Control<QLineEdit>(Dlg::IDC_LOWER_LIMIT);
    auto* upper = dlg.Control<QLineEdit>(Dlg::IDC_UPPER_LIMIT);
    auto* alert = dlg.Control<QCheckBox>(Dlg::IDC_SET_ALERT);
    EXPECT_EQ(lower->text(), "0");
    EXPECT_FALSE(lower->isEnabled() || upper->isEnabled());
    Type(dlg, Dlg::IDC_SEARCH_TEXT, "Infosys");
    Select(dlg, Dlg::IDC_RESULT_LIST, 0);

    // Unticked, 5 and 5 are not looked at.
    lower->setText("5");
    upper->setText("5");
    Click(dlg, ui::IDOK);
    EXPECT_EQ(dlg.result(), ui::IDOK);
    EXPECT_EQ(dlg.AlertSetting(), 0);
    dlg.setResult(0);

    alert->click();
    EXPECT_TRUE(lower->isEnabled() && upper->isEnabled());
    const char* order = "Lower Limit can't be greater than or equal to Upper Limit";
    const char* zero = "Lower Limit or Upper Limit can't be ZERO";
    const char* range = "Please enter a number between 0 and 10000.";
    const std::tuple<const char*, const char*, const char*> refused[] = {
        {"5", "5", order},
        {"6", "5", order},
        {"0", "5", zero},
        {"4", "0", zero},
        {"-1", "5", range},
        {"4", "10000.5", range},
        {"x", "5", "Please enter a number."},
        {"nan", "5", "Please enter a number."},
        {"4", "0x10", "Please enter a number."},
        {"4", "inf", "Please enter a number."}};
    for (const auto& [low, up, message] : refused) {
        boxes.Clear();
        lower->setText(low);
        upper->setText(up);
        Click(dlg, ui::IDOK);
        EXPECT_EQ(dlg.result(), 0) << low << " / " << up;
        EXPECT_EQ(boxes.Texts(), Texts{message}) << low << " / " << up;
    }

    lower->setText("4");
    upper->setText("5");
    Click(dlg, ui::IDOK);
    ASSERT_EQ(dlg.result(), ui::IDOK);
    EXPECT_EQ(dlg.Symbol(), "INFY");
    EXPECT_EQ(dlg.AlertSetting(), 1);
    EXPECT_EQ(dlg.LowerLimit(), 4);
    EXPECT_EQ(dlg.UpperLimit(), 5);
}

TEST_F(SearchDialogsTest, ValidateAsksOnceAndJudgesEachNameOnItsLine) {
    MessageBoxRecorder boxes;
    NL dlg;
    dlg.EnsureInitialized();
    auto* add = dlg.Control<QPushButton>(NL::IDC_ADD);
    EXPECT_FALSE(add->isEnabled());
    Click(dlg, NL::IDC_VALIDATE);
    EXPECT_EQ(boxes.Texts(), Texts{"Please write atleast one of NSE & BSE name"});

    // A name not asked keeps its label; an earlier pass still counts for Add.
    const struct {
        const char *nse, *bse, *nseResult, *bseResult;
        bool add;
    } rounds[] = {{" NOSUCH ", "NOSUCH2", "FAILED", "FAILED", false},
                  {"", "INFY", "FAILED", "PASSED", true},
                  {"TCS", "NOSUCH", "PASSED", "FAILED", true}};
    for (const auto& r : rounds) {
        Type(dlg, NL::IDC_NSE_NAME, r.nse);
        Type(dlg, NL::IDC_BSE_NAME, r.bse);
        Click(dlg, NL::IDC_VALIDATE);
        EXPECT_EQ(dlg.GetDlgItemText(NL::IDC_NSE_RESULT),
                  std::string("NSE Name Validation ") + r.nseResult);
        EXPECT_EQ(dlg.GetDlgItemText(NL::IDC_BSE_RESULT),
                  std::string("BSE Name Validation ") + r.bseResult);
        EXPECT_EQ(add->isEnabled(), r.add) << r.nse << "|" << r.bse;
    }
    EXPECT_TRUE(dlg.Flags().nse && dlg.Flags().bse);

    // A name that is no trading symbol is never asked: any service's answer for it would
    // end up naming files. Add goes off.
    boxes.Clear();
    for (const char* name : {"../../X", "A B", ".."}) {
        Type(dlg, NL::IDC_NSE_NAME, name);
        Click(dlg, NL::IDC_VALIDATE);
        EXPECT_FALSE(add->isEnabled()) << name;
    }
    EXPECT_EQ(boxes.Texts(), (Texts{"\"../../X\" is not a valid trading symbol.",
                                    "\"A B\" is not a valid trading symbol.",
                                    "\"..\" is not a valid trading symbol."}));
    Type(dlg, NL::IDC_NSE_NAME, "TCS");

    // Each validation is one request of the validation session.
    Texts queries;
    for (const auto& e : s_market->RequestLog()) {
        EXPECT_EQ(e.userAgent, "ValidationSession");
        queries.push_back(e.path + "?" + e.query);
    }
    EXPECT_EQ(queries, (Texts{"/d/quotes.csv?s=NOSUCH.NS,NOSUCH2.BO&f=sl1d1t1c1ohgv",
                              "/d/quotes.csv?s=INFY.BO&f=sl1d1t1c1ohgv",
                              "/d/quotes.csv?s=TCS.NS,NOSUCH.BO&f=sl1d1t1c1ohgv"}));

    // A failed read disables Add whatever passed before; a lost line is not validated.
    boxes.Clear();
    for (const auto kind : {marketserver::FaultKind::Http500, marketserver::FaultKind::Garbage}) {
        s_market->AddFault(marketserver::Fault::Make(kind));
        Click(dlg, NL::IDC_VALIDATE);
        EXPECT_FALSE(add->isEnabled());
    }
    EXPECT_EQ(boxes.Texts(), Texts(2, kOffline));
    NL fresh;
    fresh.EnsureInitialized();
    Type(fresh, NL::IDC_NSE_NAME, "NOSUCH");
    Type(fresh, NL::IDC_BSE_NAME, "INFY");
    s_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Short));
    Click(fresh, NL::IDC_VALIDATE);
    EXPECT_EQ(fresh.GetDlgItemText(NL::IDC_BSE_RESULT), "BSE Name Validation FAILED");
    EXPECT_FALSE(fresh.Flags().bse);
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QString> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url.toString(QUrl::FullyEncoded)); }
};

TEST_F(SearchDialogsTest, AddNeedsANameAndFindSymbolOpensOnlyAWebLookup) {
    MessageBoxRecorder boxes;
    UrlCatcher catcher;
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::setUrlHandler(scheme, &catcher, "open");
    NL dlg;
    dlg.EnsureInitialized();
    Type(dlg, NL::IDC_COMPANY_NAME, " ab ");
    Click(dlg, NL::IDC_FIND_SYMBOL);
    Type(dlg, NL::IDC_COMPANY_NAME, " Tata Motors ");
    Click(dlg, NL::IDC_FIND_SYMBOL);
    {
        testsupport::ScopedEnv lookup("KORAVEL_LOOKUP_URL", "file:///etc");
        Click(dlg, NL::IDC_FIND_SYMBOL);
    }
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::unsetUrlHandler(scheme);
    EXPECT_EQ(catcher.opened, std::vector<QString>{QString::fromStdString(s_market->BaseUrl()) +
                                                   "/lookup?s=Tata%20Motors"});
    // Without a browser the address is shown to copy instead of nothing at all.
    ui::SetOpenUrlHook([](const std::string&) { return false; });
    Click(dlg, NL::IDC_FIND_SYMBOL);
    ui::SetOpenUrlHook(nullptr);
    ASSERT_EQ(boxes.Texts().size(), 2u);
    EXPECT_NE(boxes.Texts()[1].find(s_market->BaseUrl() + "/lookup?s=Tata%20Motors"),
              std::string::npos);
    boxes.Clear();

    // Enter adds only once Add is enabled; Add wants a company name.
    Type(dlg, NL::IDC_BSE_NAME, " INFY ");
    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), 0);
    Click(dlg, NL::IDC_VALIDATE);
    Type(dlg, NL::IDC_COMPANY_NAME, "   ");
    Click(dlg, NL::IDC_ADD);
    EXPECT_EQ(dlg.result(), 0);
    EXPECT_EQ(boxes.Texts(), Texts{"Please write a Name for Company Name"});
    Type(dlg, NL::IDC_COMPANY_NAME, " Infosys Twin ");
    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), ui::IDOK);
    EXPECT_EQ(dlg.Listing().companyName, "Infosys Twin");
    EXPECT_EQ(dlg.Listing().bseSymbol, "INFY");
}

// The new listing dialog, run from the search dialog through the modal hook.
void OnNewListing(std::function<void(NL&)> fill) {
    ui::SetModalHook([fill](QDialog& d) {
        auto& nl = dynamic_cast<NL&>(d);
        EXPECT_FALSE(nl.Control<QPushButton>(NL::IDC_ADD)->isEnabled()) << "at every start";
        fill(nl);
        return nl.result();
    });
}

TEST_F(SearchDialogsTest, AddNewListingAppendsAndRecordsWhatIsMissing) {
    MessageBoxRecorder boxes;
    // TCS trades but is missing from this catalogue, and it is watched on NSE already.
    m_db.ExecuteSQL("DELETE FROM CompanyList WHERE NSENAME='TCS'");
    const long catalogue = Count("CompanyList");
    FakeWatchList page;
    page.items = {{"Tata Consultancy Services Ltd", "NSE", "TCS", 0, 0, 0}};
    Dlg dlg(&page);
    dlg.EnsureInitialized();

    // A first run validates NSE and is cancelled: nothing changes.
    OnNewListing([](NL& nl) {
        Type(nl, NL::IDC_COMPANY_NAME, "TCS New");
        Type(nl, NL::IDC_NSE_NAME, "TCS");
        Click(nl, NL::IDC_VALIDATE);
        Click(nl, ui::IDCANCEL);
    });
    Click(dlg, Dlg::IDC_ADD_NEW_LISTING);
    EXPECT_EQ(dlg.result(), 0);
    EXPECT_EQ(page.items.size(), 1u);
    EXPECT_EQ(page.refreshes, 0);

    // The second starts with the first's names and flags; BSE passes now.
    OnNewListing([](NL& nl) {
        EXPECT_EQ(nl.GetDlgItemText(NL::IDC_NSE_RESULT), "NSE Name Validation PASSED");
        Type(nl, NL::IDC_BSE_NAME, "TCS");
        Click(nl, NL::IDC_VALIDATE);
        Click(nl, NL::IDC_ADD);
    });
    Click(dlg, Dlg::IDC_ADD_NEW_LISTING);
    EXPECT_EQ(dlg.result(), ui::IDOK);
    EXPECT_EQ(dlg.CompanyName(), "");
    EXPECT_EQ(page.items,
              (std::vector<WatchItem>{page.items[0], {"TCS New", "BSE", "TCS", 0, 0, 0}}))
        << "NSE TCS was watched already";
    EXPECT_EQ(page.refreshes, 1);
    EXPECT_EQ(Count("CompanyList"), catalogue + 1);
    EXPECT_EQ(Count("CompanyList", "COMPNAME='TCS New' AND NSENAME='TCS' AND BSENAME='TCS'"), 1);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(SearchDialogsTest, SearchResultKeepsAHundredAndReturnsTheChosenOnesSymbol) {
    MessageBoxRecorder boxes;
    SR many("Ltd", "NSE");
    many.EnsureInitialized();
    const Texts names = ListTexts(many, SR::IDC_RESULT_LIST);
    ASSERT_EQ(names.size(), 100u);
    Select(many, SR::IDC_RESULT_LIST, 57);
    Click(many, ui::IDOK);
    EXPECT_EQ(many.CompanyName(), names[57]);
    EXPECT_EQ(Count("CompanyList", "COMPNAME='" + odbc::SqlEscape(names[57]) + "' AND NSENAME='" +
                                       many.Symbol() + "'"),
              1);

    SR bse("Kay", "BSE");
    bse.EnsureInitialized();
    auto* list = bse.Control<QListWidget>(SR::IDC_RESULT_LIST);
    Select(bse, SR::IDC_RESULT_LIST, 0);
    emit list->itemDoubleClicked(list->item(0));
    EXPECT_EQ(bse.result(), ui::IDOK);
    EXPECT_EQ(bse.CompanyName(), "Kaycee Industries Ltd");
    EXPECT_EQ(bse.Symbol(), "KAYCEEI");

    SR unchosen("Kay", "NSE");
    unchosen.EnsureInitialized();
    Click(unchosen, ui::IDOK);
    EXPECT_EQ(unchosen.Symbol(), "");
    SR shortText("ab", "NSE");
    shortText.EnsureInitialized();
    SR nothing("zzqq", "NSE");
    nothing.EnsureInitialized();
    EXPECT_EQ(boxes.Texts(), (Texts{kTooShort, kSorry}));
}

// Every control inside its dialog, every caption inside its control, colour buttons and the
// page colour.
void ExpectNothingClipped(ui::CDialog& dlg, const char* name) {
    dlg.show();
    QTest::qWait(50);
    for (QWidget* w : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isWindow())
            continue;
        const std::string what = std::string(name) + " " + w->metaObject()->className() + " " +
                                 w->objectName().toStdString();
        EXPECT_TRUE(dlg.rect().contains(w->geometry())) << what;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const int need = label->wordWrap() ? label->heightForWidth(label->width())
                                               : label->sizeHint().height();
            EXPECT_LE(need, label->height()) << what << " " << label->text().toStdString();
            EXPECT_LE(label->wordWrap() ? 0 : label->sizeHint().width(), label->width()) << what;
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width())
                << what;
            if (qobject_cast<QPushButton*>(w)) {
                auto* colored = qobject_cast<CColorButton*>(w);
                EXPECT_TRUE(colored && colored->IsOwnerDrawn()) << what;
            }
        }
    }
    const QImage picture = dlg.grab().toImage();
    EXPECT_EQ(picture.pixelColor(1, picture.height() - 2), QColor(213, 247, 255)) << name;
    dlg.hide();
}

TEST_F(SearchDialogsTest, LayoutsLeaveEveryCaptionRoom) {
    MessageBoxRecorder boxes;
    Dlg search(nullptr);
    search.EnsureInitialized();
    Type(search, Dlg::IDC_SEARCH_TEXT, "Tata");
    Select(search, Dlg::IDC_RESULT_LIST, 2);
    search.Control<QCheckBox>(Dlg::IDC_SET_ALERT)->click();
    ExpectNothingClipped(search, "company");

    NL listing;
    listing.EnsureInitialized();
    Type(listing, NL::IDC_COMPANY_NAME, "Tata Consultancy Services Ltd");
    Type(listing, NL::IDC_NSE_NAME, "TCS");
    Type(listing, NL::IDC_BSE_NAME, "NOSUCH");
    Click(listing, NL::IDC_VALIDATE);
    ExpectNothingClipped(listing, "newlisting");

    SR result("Tata", "NSE");
    result.EnsureInitialized();
    ExpectNothingClipped(result, "result");
    EXPECT_TRUE(boxes.Texts().empty());
}

} // namespace

#include "search_dialogs_test.moc"
