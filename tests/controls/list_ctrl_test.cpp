#include <memory>
#include <vector>

#include <QAbstractItemModel>
#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/chart_opener.h"
#include "controls/quote_lists.h"
#include "platform/ui/message_box.h"

namespace {

// Fills a list with one column per text of `rows[0]` (widths from `widths`) and shows it.
void Fill(CListCtrl& list, const std::vector<std::vector<std::string>>& rows,
          const std::vector<int>& widths) {
    for (int col = 0; col < static_cast<int>(widths.size()); ++col)
        list.InsertColumn(col, "c" + std::to_string(col), col ? LVCFMT_RIGHT : LVCFMT_LEFT,
                          widths[col]);
    for (const auto& cells : rows) {
        const int row = list.InsertItem(list.GetItemCount(), cells[0]);
        for (int col = 1; col < static_cast<int>(cells.size()); ++col)
            list.SetItemText(row, col, cells[col]);
    }
    list.resize(400, 120);
    list.show();
}

QPoint RowPoint(CListCtrl& list, int row) {
    return list.visualRect(list.model()->index(row, 0)).center();
}

TEST(ListCtrlTest, ColumnsCannotBeResizedSoHiddenOnesStayHidden) {
    CListCtrl list;
    Fill(list, {{"NIFTY", "5,100.00", "5,120.35"}}, {80, 0, 70});
    // Drag the borders after the hidden column, inside the first one and after the last.
    QWidget* vp = list.horizontalHeader()->viewport();
    const int y = vp->height() / 2;
    for (const int x : {80, 79, 150}) {
        auto send = [&](QEvent::Type type, int at, Qt::MouseButtons buttons) {
            QMouseEvent e(type, QPointF(at, y), vp->mapToGlobal(QPointF(at, y)), Qt::LeftButton,
                          buttons, Qt::NoModifier);
            QApplication::sendEvent(vp, &e);
        };
        send(QEvent::MouseButtonPress, x, Qt::LeftButton);
        send(QEvent::MouseMove, x + 30, Qt::LeftButton);
        send(QEvent::MouseMove, x + 60, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, x + 60, Qt::NoButton);
    }
    EXPECT_EQ(list.GetColumnWidth(0), 80);
    EXPECT_EQ(list.GetColumnWidth(1), 0);
    EXPECT_EQ(list.GetColumnWidth(2), 70);
    EXPECT_EQ(list.GetItemText(0, 1), "5,100.00") << "the hidden store still reads back";
    const QVariant headerAlign = list.model()->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole);
    EXPECT_TRUE(headerAlign.value<Qt::Alignment>() & Qt::AlignRight);
}

TEST(ListCtrlTest, CallbackRowsAnswerFromTheOwnersRecordsAndSelectionReadsBack) {
    struct Holding {
        std::string name;
        int price;
    };
    CListCtrl list;
    list.InsertColumn(0, "Company", LVCFMT_LEFT, 100);
    list.InsertColumn(1, "Price", LVCFMT_RIGHT, 60);
    list.SetTextCallback([&list](int row, int col) {
        const auto& h = *list.ItemData<std::shared_ptr<Holding>>(row);
        return col == 0 ? h->name : std::to_string(h->price);
    });
    auto acme = std::make_shared<Holding>(Holding{"Acme", 10});
    auto zeta = std::make_shared<Holding>(Holding{"Zeta", 20});
    list.InsertCallbackItem(0, zeta);
    list.InsertCallbackItem(0, acme);
    EXPECT_EQ(list.InsertItem(99, "Plain"), 2) << "beyond the end appends";

    acme->price = 11;
    list.Refresh();
    EXPECT_EQ(list.model()->index(0, 1).data().toString(), "11");
    EXPECT_EQ(list.GetItemText(1, 0), "Zeta");
    EXPECT_EQ(list.GetItemText(2, 1), "");
    EXPECT_EQ(list.GetItemText(-1, 0), "");
    list.SetItemText(1, 1, "n/a");
    EXPECT_EQ(list.GetItemText(1, 1), "n/a") << "a cell's own text wins over the callback";

    list.SetItemSelected(0, true);
    list.SetItemSelected(2, true);
    EXPECT_EQ(list.GetSelectedCount(), 2);
    EXPECT_EQ(list.GetNextSelected(), 0);
    EXPECT_EQ(list.GetNextSelected(0), 2);
    EXPECT_EQ(list.GetSelectionMark(), 2);
    list.SetSingleSelection(true);
    list.SetItemSelected(1, true);
    EXPECT_EQ(list.GetSelectedCount(), 1);

    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemText(0, 0), "Zeta");
    list.DeleteAllItems();
    EXPECT_EQ(list.GetSelectionMark(), -1);
    EXPECT_EQ(zeta.use_count(), 1) << "rows release their records";
}

// Records message boxes and chart pages instead of showing them.
struct ChartHooks {
    ChartHooks() {
        ui::SetMessageBoxHook([this](const ui::MessageBoxCall& call) {
            messages.push_back(call.text);
            return ui::IDOK;
        });
        SetChartOpener([this](QWidget* parent, const std::string& company, const std::string& index,
                              const std::string& symbol) {
            opened.push_back(ChartRequest{company, index, symbol});
            return new QWidget(parent);
        });
    }
    ~ChartHooks() {
        ui::SetMessageBoxHook(nullptr);
        SetChartOpener(nullptr);
    }
    std::vector<std::string> messages;
    std::vector<ChartRequest> opened;
};

void DoubleClick(CListCtrl& list, int row) {
    // Row -1: the empty area below the rows.
    const QPoint at = row >= 0 ? RowPoint(list, row) : QPoint(20, list.viewport()->height() - 5);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
}

struct PriceRow {
    std::string symbol;
    double price;
};

// A list of symbols and prices, shown on screen.
class PriceList final : public CListCtrl {
public:
    PriceList() {
        InsertColumn(0, "Symbol");
        InsertColumn(1, "Price");
        SetTextCallback([this](int row, int col) {
            const PriceRow* q = ItemData<PriceRow>(row);
            return !q ? std::string() : col == 0 ? q->symbol : std::to_string(q->price);
        });
        resize(200, 120);
        setFocusPolicy(Qt::NoFocus); // no focus frame: two of them look alike whichever is active
        show();
    }
    void Set(std::vector<PriceRow> rows) {
        SetCallbackRows(std::move(rows), [](const PriceRow& q) { return q.symbol; });
    }
    // A setting of the page, not of the rows, that colours the prices (as the alert check
    // boxes colour the watch list).
    bool marked = false;
    CellColors CellColor(int row, int col) const override {
        CellColors colors = CListCtrl::CellColor(row, col);
        if (marked && col == 1)
            colors.background = RGB(255, 255, 0);
        return colors;
    }
};

TEST(ListCtrlTest, TheSameRowsAgainUpdateInPlaceRepaintingOnlyWhatChanged) {
    const std::vector<PriceRow> refreshed = {{"A", 1.5}, {"B", 2.5}, {"C", 3}};
    // What a new list of the refreshed rows shows.
    PriceList fresh;
    fresh.Set(refreshed);
    fresh.SetItemSelected(1, true);
    PriceList list;
    // New rows are painted whole, and so is the first refresh after them.
    for (int i = 0; i < 2; ++i)
        list.Set({{"A", 1}, {"B", 2}, {"C", 3}});
    list.SetItemSelected(1, true);
    QCoreApplication::processEvents(); // both painted
    int resets = 0;
    std::vector<std::pair<int, int>> changed;
    QObject::connect(list.model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(list.model(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex& to) {
                         EXPECT_EQ(from, to) << "one cell at a time";
                         changed.emplace_back(from.row(), from.column());
                     });

    // A refresh: the same companies, two with new prices.
    list.Set(refreshed);
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(changed, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}}));
    EXPECT_EQ(list.GetNextSelected(-1), 1) << "the selection stays";
    EXPECT_EQ(list.GetItemText(1, 1), std::to_string(2.5));
    // On screen (what the window system holds, not a fresh rendering) it is what the new
    // list shows.
    QCoreApplication::processEvents();
    const auto onScreen = [](QWidget& w) { return w.screen()->grabWindow(w.winId()).toImage(); };
    EXPECT_EQ(onScreen(list), onScreen(fresh));

    // The same rows under another setting: the cells it colours are repainted.
    changed.clear();
    list.marked = fresh.marked = true;
    fresh.Refresh();
    list.Set(refreshed);
    EXPECT_EQ(changed, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {2, 1}}));
    QCoreApplication::processEvents();
    EXPECT_EQ(onScreen(list), onScreen(fresh));

    // Hidden, nothing is repainted; shown again, it shows the newest rows.
    list.hide();
    changed.clear();
    list.Set({{"A", 9}, {"B", 2.5}, {"C", 3}});
    EXPECT_TRUE(changed.empty());
    list.show();
    EXPECT_EQ(list.GetItemText(0, 1), std::to_string(9.0));

    // Other companies (or another order): the list is replaced at once.
    list.Set({{"C", 3}, {"A", 1}});
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetNextSelected(-1), -1);
    EXPECT_EQ(list.RowsData<PriceRow>().front().symbol, "C");
}

TEST(ChartListTest, IndexListOpensTheIndexChartsOrSaysThereIsNoConnection) {
    ChartHooks hooks;
    CIndexListCtrl list;
    bool connected = false;
    list.SetConnectedFlag([&] { return connected; });
    Fill(list, {{"NIFTY", "5,120.35"}, {"SENSEX", "17,200.10"}}, {60, 60});

    DoubleClick(list, 0);
    EXPECT_EQ(hooks.messages,
              std::vector<std::string>{"Sorry!!!There is no internet connection detected"});
    EXPECT_TRUE(hooks.opened.empty());

    connected = true;
    for (int row : {0, 1, -1})
        DoubleClick(list, row);
    const std::vector<ChartRequest> expected = {
        {"NIFTY", "5,120.35", "^NSEI"}, {"SENSEX", "17,200.10", "^BSESN"}, {"", "", "^BSESN"}};
    EXPECT_EQ(hooks.opened, expected);
    ASSERT_NE(list.LastChartPage(), nullptr);
    EXPECT_EQ(list.LastChartPage()->parentWidget(), &list);
    delete list.LastChartPage();
    EXPECT_EQ(list.LastChartPage(), nullptr) << "a closed page is forgotten";
}

TEST(ChartListTest, GuardsAndArgumentsOfTheOtherLists) {
    ChartHooks hooks;
    auto always = [] { return true; };
    CQuoteListCtrl quotes;
    quotes.SetConnectedFlag(always);
    Fill(quotes, {{"Nikkei 225", "^N225", "9,000.00"}}, {40, 40, 40});
    DoubleClick(quotes, 0);

    CProfileListCtrl profile;
    profile.SetConnectedFlag(always);
    Fill(profile, {{"Acme Ltd", "NSE", "ACME"}, {"Cash", "", ""}}, {40, 40, 40});
    for (int row : {0, 1, -1}) // rows without a symbol open nothing
        DoubleClick(profile, row);

    CToppersListCtrl toppers;
    toppers.SetConnectedFlag(always);
    Fill(toppers, {{"Acme Ltd", "500123"}}, {40, 40});
    toppers.SetShowsBse(true);
    DoubleClick(toppers, 0);
    toppers.SetShowsBse(false);
    DoubleClick(toppers, 0);
    DoubleClick(toppers, -1);

    const std::vector<ChartRequest> expected = {{"Nikkei 225", "", "^N225"},
                                                {"Acme Ltd", "NSE", "ACME"},
                                                {"Acme Ltd", "BSE", "500123"},
                                                {"Acme Ltd", "NSE", "500123"}};
    EXPECT_EQ(hooks.opened, expected);
    EXPECT_TRUE(hooks.messages.empty());

    // Offline, a row without a symbol still asks nothing.
    profile.SetConnectedFlag(nullptr);
    DoubleClick(profile, 1);
    EXPECT_TRUE(hooks.messages.empty());
    DoubleClick(profile, 0);
    EXPECT_EQ(hooks.messages.size(), 1u);
}

TEST(ChartListTest, IndexListPaintsItsColourRules) {
    CIndexListCtrl list;
    Fill(list,
         {{"NIFTY", "5,120.35", "", "-25.40", "-0.49", "", "", "", "5,130.00"},
          {"SENSEX", "17,200.10", "", "0.00", "0.00", "", "", "", "0"}},
         {70, 70, 0, 70, 70, 0, 0, 0, 0});
    const QImage img = list.viewport()->grab().toImage();
    auto background = [&](int row, int col) {
        const QRect cell = list.visualRect(list.model()->index(row, col));
        return img.pixelColor(cell.topLeft() + QPoint(2, 2));
    };
    // The rules themselves are in core_rules_test.cpp.
    EXPECT_EQ(background(0, 1), QColor(255, 0, 0)) << "fell since the last refresh";
    EXPECT_EQ(background(1, 1), QColor(0, 0, 0)) << "first refresh";
    EXPECT_EQ(list.model()->index(1, 4).data(Qt::ForegroundRole).value<QBrush>().color(),
              QColor(0, 0, 255));
}

} // namespace
