#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "portfolio/broker_dlg.h"
#include "portfolio/profile_stocks_dlg.h"
#include "portfolio/profit_calc_dlg.h"
#include "portfolio_fixture.h"
#include "support/ui_hooks.h"

namespace {

using testsupport::MessageBoxRecorder;

class BrokerDialogsTest : public PortfolioTest {};

TEST_F(BrokerDialogsTest, AddStoresTheDefaultsAndRefusesBadInput) {
    MessageBoxRecorder boxes;
    CBrokerDlg dlg("", nullptr);
    dlg.EnsureInitialized();
    Set(dlg, IDC_BROKER_NAME, "   ");
    Click(dlg, ui::IDOK);
    Set(dlg, IDC_BROKER_NAME, "  O'Neil Securities ");
    Set(dlg, 1090, "100.5");
    Click(dlg, ui::IDOK);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Broker Name can't be blank",
                                        "Please enter a number between 0 and 100."}));
    EXPECT_EQ(Count("BROKERLIST"), 0);

    Set(dlg, 1090, "0.2");
    Click(dlg, ui::IDOK);
    EXPECT_EQ(dlg.Result(), ui::IDOK);
    EXPECT_EQ(dlg.BrokerName(), "O'Neil Securities");
    CBrokersListset set;
    const auto stored = portfolio::FindBroker(set, "O'Neil Securities");
    ASSERT_TRUE(stored);
    BrokerRecord expected = NewBrokerRecord();
    expected.rates[6] = 0.2; // delivery sell STT; the rest as shown
    EXPECT_EQ(stored->rates, expected.rates);

    CBrokerDlg again("", nullptr);
    again.EnsureInitialized();
    Set(again, IDC_BROKER_NAME, "O'Neil Securities");
    Click(again, ui::IDOK);
    EXPECT_EQ(boxes.Texts().back(),
              "You can't add O'Neil Securities as it is already there in Brokers List");
    EXPECT_EQ(Count("BROKERLIST"), 1);
}

TEST_F(BrokerDialogsTest, RenameAddAndDeleteFromTheList) {
    const std::int32_t alpha = AddBroker("Alpha");
    AddBroker("Beta");
    AddLot("Infosys Ltd", "NSE", "INFY", 0, 1500, 10, alpha);
    MessageBoxRecorder boxes;
    CBrokersListDlg dlg(nullptr);
    dlg.EnsureInitialized();
    ASSERT_EQ(dlg.List()->count(), 2);
    Click(dlg, IDC_BROKERS_EDIT);
    Click(dlg, IDC_BROKERS_DELETE);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Please select atleast one Broker to edit",
                                        "Please select atleast one Broker to delete"}));

    // Renaming to a name that exists is accepted.
    dlg.List()->setCurrentRow(1);
    OnModal({[](QDialog& d) {
        auto& b = dynamic_cast<CBrokerDlg&>(d);
        EXPECT_EQ(b.Mode(), 1);
        EXPECT_EQ(b.GetDlgItemText(IDC_BROKER_NAME), "Beta");
        Set(b, IDC_BROKER_NAME, "Alpha");
        Click(b, ui::IDOK);
        return b.Result();
    }});
    Click(dlg, IDC_BROKERS_EDIT);
    EXPECT_EQ(dlg.List()->item(1)->text(), "Alpha");
    EXPECT_EQ(Count("BROKERLIST", "BROKERNAME='Alpha'"), 2);

    // The first Alpha carries a lot.
    dlg.List()->setCurrentRow(0);
    Click(dlg, IDC_BROKERS_DELETE);
    EXPECT_EQ(boxes.Texts().back(), "SORRY!!! You can't delete this broker as \n"
                                    "this Broker is already in use in Your Profile List");
    EXPECT_EQ(dlg.List()->count(), 2);

    OnModal({[](QDialog& d) {
        auto& b = dynamic_cast<CBrokerDlg&>(d);
        Set(b, IDC_BROKER_NAME, "Gamma");
        Click(b, ui::IDOK);
        return b.Result();
    }});
    Click(dlg, IDC_BROKERS_ADD);
    ASSERT_EQ(dlg.List()->count(), 3);
    dlg.List()->setCurrentRow(2);
    Click(dlg, IDC_BROKERS_DELETE);
    EXPECT_EQ(dlg.List()->count(), 2);
    EXPECT_EQ(dlg.Brokers().size(), 2u);
    EXPECT_EQ(Count("BROKERLIST", "BROKERNAME='Gamma'"), 0);
}

class LotsDialogTest : public PortfolioTest {};

TEST_F(LotsDialogTest, AddingASearchedCompanyWithItsTransactions) {
    const std::int32_t broker = AddBroker("Alpha");
    MessageBoxRecorder boxes;
    CProfileStocksDlg dlg("", "NSE", "", 0, 0, 0, nullptr);
    dlg.EnsureInitialized();
    EXPECT_EQ(dlg.windowTitle(), "Add/Edit Profile Stocks:: DELIVERY");
    dlg.OnAddLot();
    Set(dlg, IDC_PS_SEARCH_TEXT, "In");
    dlg.OnSearch();
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Sorry!!!First Select a Company Name with SEARCH button",
                                        "Please enter atleast 3 consecutive letters of the "
                                        "company name"}));
    boxes.Clear();

    Set(dlg, IDC_PS_SEARCH_TEXT, "Infosys");
    OnModal({PickFirst, Lot("12.346", "10"), Lot({{"0", "5"}, {"100000", "5"}, {"20", "5"}})});
    dlg.OnSearch();
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_COMPANY), "Infosys Ltd");
    dlg.OnAddLot();
    dlg.OnAddLot();
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Sorry!!!None of these two can have 0 value",
                                        "Please enter a number between 0 and 99999."}));
    EXPECT_EQ(Column(dlg.List(), 0), (std::vector<std::string>{"12.35", "20.00"}));
    EXPECT_EQ(Column(dlg.List(), 1), (std::vector<std::string>{"10", "5"}));
    EXPECT_EQ(dlg.Transactions()[0].price, 12.346);
    // Deleting a lot rebuilds the rest from what the list shows.
    dlg.List()->SetItemSelected(1, true);
    dlg.OnDeleteLot();
    EXPECT_EQ(dlg.Transactions(), (std::vector<LotEntry>{{12.35, 10}}));

    Click(dlg, ui::IDOK);
    EXPECT_EQ(dlg.Result(), ui::IDOK);
    const auto lots = StoredLots();
    ASSERT_EQ(lots.size(), 1u);
    EXPECT_EQ(lots[0].companyName + "|" + lots[0].index + "|" + lots[0].symbol,
              "Infosys Ltd|NSE|INFY");
    EXPECT_EQ(lots[0].price, 12.35);
    EXPECT_EQ(lots[0].brokerId, broker);
}

TEST_F(LotsDialogTest, ChangingTheExchangeAfterASearchEmptiesTheChoice) {
    MessageBoxRecorder boxes;
    CProfileStocksDlg dlg("", "", "", 0, 0, 1, nullptr);
    dlg.EnsureInitialized();
    EXPECT_EQ(dlg.windowTitle(), "Add/Edit Profile Stocks:: INTRADAY");
    EXPECT_TRUE(dlg.Control<QRadioButton>(IDC_PS_NSE)->isChecked());
    Click(dlg, IDC_PS_BSE); // nothing chosen yet: no message
    Click(dlg, IDC_PS_NSE);
    Set(dlg, IDC_PS_SEARCH_TEXT, "Infosys");
    OnModal({PickFirst, Lot("1500", "10")});
    dlg.OnSearch();
    dlg.OnAddLot();
    EXPECT_TRUE(boxes.Texts().empty());

    const std::string changed = "You have changed Index , Please again click on SEARCH";
    Click(dlg, IDC_PS_BSE);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{changed});
    EXPECT_EQ(dlg.List()->GetItemCount(), 0);
    EXPECT_TRUE(dlg.Transactions().empty());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_COMPANY), "");
    Click(dlg, IDC_PS_NSE);
    Click(dlg, IDC_PS_NSE); // already selected
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{changed, changed}));

    // No broker at all: OK says how to get one.
    OnModal({PickFirst, Lot("1500", "10")});
    dlg.OnSearch();
    dlg.OnAddLot();
    Click(dlg, ui::IDOK);
    EXPECT_EQ(boxes.Texts().back(),
              "Please configure a Broker in Broker List\nthen Add Stocks in your profile");
    EXPECT_EQ(Count("PROFILELIST"), 0);
}

TEST_F(LotsDialogTest, EditingRewritesTheStocksLotsWithTheChosenBroker) {
    AddBroker("ICICI");
    const std::int32_t icici = AddBroker("ICICI Direct");
    const std::int32_t other = AddBroker("Other");
    AddLot("Infosys Ltd", "NSE", "INFY", 0, 1400, 10, icici);
    AddLot("Infosys Ltd", "NSE", "INFY", 1, 1450, 3, icici);
    AddLot("Infosys Ltd", "NSE", "INFY", 0, 1500, 20, other);
    CProfileStocksDlg dlg("Infosys Ltd", "NSE", "INFY", icici, 1, 0, nullptr);
    dlg.EnsureInitialized();
    EXPECT_EQ(dlg.Control<QComboBox>(IDC_PS_BROKER)->currentText(), "ICICI Direct");
    for (int id :
         {IDC_PS_SEARCH_TEXT, IDC_PS_SEARCH, IDC_PS_NSE, IDC_PS_BSE, IDC_PS_ADD, IDC_PS_DELETE})
        EXPECT_FALSE(dlg.GetDlgItem(id)->isEnabled()) << id;
    EXPECT_EQ(Column(dlg.List(), 1), (std::vector<std::string>{"10", "20"}));

    dlg.List()->SetItemSelected(1, true);
    OnModal({Lot("1525.5", "25")});
    dlg.OnEditLot();
    dlg.Control<QComboBox>(IDC_PS_BROKER)->setCurrentIndex(2);
    Click(dlg, ui::IDOK);
    const auto lots = StoredLots();
    ASSERT_EQ(lots.size(), 3u);
    EXPECT_EQ(lots[0].brokerId, other);
    EXPECT_EQ(lots[2].brokerId, other);
    EXPECT_EQ(lots[2].price, 1525.5);
    EXPECT_EQ(lots[2].quantity, 25);
    EXPECT_EQ(lots[1].brokerId, icici) << "the intraday lot is another stock's row";

    MessageBoxRecorder boxes;
    CProfileStocksDlg empty("Nothing Ltd", "BSE", "NONE", icici, 1, 0, nullptr);
    empty.EnsureInitialized();
    EXPECT_TRUE(empty.Control<QRadioButton>(IDC_PS_BSE)->isChecked());
    Click(empty, ui::IDOK);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please add atleast one transaction"});
}

TEST_F(LotsDialogTest, IdenticalLotsAreEditedOneAtATime) {
    // Two purchases alike in every column: only the one edited changes, on every engine.
    const std::int32_t broker = AddBroker("ICICI Direct");
    AddLot("Infosys Ltd", "NSE", "INFY", 0, 1400, 10, broker);
    AddLot("Infosys Ltd", "NSE", "INFY", 0, 1400, 10, broker);
    CProfileStocksDlg dlg("Infosys Ltd", "NSE", "INFY", broker, 1, 0, nullptr);
    dlg.EnsureInitialized();
    dlg.List()->SetItemSelected(1, true);
    OnModal({Lot("1450", "5")});
    dlg.OnEditLot();
    Click(dlg, ui::IDOK);
    const auto lots = StoredLots();
    ASSERT_EQ(lots.size(), 2u);
    EXPECT_EQ(lots[0].price, 1400);
    EXPECT_EQ(lots[0].quantity, 10);
    EXPECT_EQ(lots[1].price, 1450);
    EXPECT_EQ(lots[1].quantity, 5);
}

class ProfitCalcTest : public PortfolioTest {};

TEST_F(ProfitCalcTest, AnswersOnlyWithABrokerForItsTradeType) {
    {
        MessageBoxRecorder boxes; // without a broker it says so and calculates nothing
        CProfitCalcDlg none(nullptr);
        none.EnsureInitialized();
        Set(none, IDC_PC_SHARES2, "10");
        Click(none, IDC_PC_CALC2);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>(2, kMsgNoBrokerConfigured));
        EXPECT_EQ(none.GetDlgItemText(IDC_PC_RESULT2), "");
    }
    AddBroker("New Broker");
    CProfitCalcDlg dlg(nullptr);
    dlg.EnsureInitialized();
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PC_RESULT1), "0.00");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PC_RESULT2), "0.00");

    for (auto [id, value] : {std::pair{IDC_PC_SHARES1, "100"},
                             {IDC_PC_COST1, "100"},
                             {IDC_PC_SHARES2, "100"},
                             {IDC_PC_COST2, "100"},
                             {IDC_PC_PRICE, "110"}})
        Set(dlg, id, value);
    Click(dlg, IDC_PC_CALC1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PC_RESULT1), "101.95");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PC_RESULT2), "0.00") << "each Calculate answers its own";
    Click(dlg, IDC_PC_CALC2);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PC_RESULT2), "796.78");
    Click(dlg, IDC_PC_INTRADAY); // both at once with the intraday rates
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PC_RESULT1), "100.87");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PC_RESULT2), "912.98");

    MessageBoxRecorder boxes;
    Set(dlg, IDC_PC_COST2, "10001");
    Set(dlg, IDC_PC_PRICE, "120");
    Click(dlg, IDC_PC_CALC2);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Please enter a number between 0 and 10000."});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PC_RESULT2), "912.98");
}

} // namespace
