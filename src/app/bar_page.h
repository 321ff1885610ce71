#pragma once

#include <functional>
#include <string>

#include "platform/ui/dialog.h"
#include "quotes/quote_record.h"

// The pages that hang under the bar, in the order of the bar's page table.
enum class BarPage { Watchlist, Toppers, Indices, World, Profile, Futures };
constexpr int kBarPageCount = 6;

struct BarPageInfo {
    BarPage page;
    int buttonId;
    int templateId;
    bool addsSymbols;   // its symbols ride on the bar's request
    bool fetchOnCreate; // a fetch starts as soon as it is created
    const char* name;   // its screenshot's name in the tour
};
const BarPageInfo& PageInfo(BarPage page);

class CBarPage;

// What pages may ask of the bar.
class IBar {
public:
    virtual ~IBar() = default;
    virtual bool IsConnected() const = 0;
    virtual bool IsProbeDone() const = 0;
    virtual bool IsAlwaysOnTop() const = 0;
    virtual int RefreshInterval() const = 0;
    virtual const QuoteRecord& NiftyRecord() const = 0;
    virtual const QuoteRecord& SensexRecord() const = 0;
    virtual const QuoteRecord& DollarRecord() const = 0;
    // NIFTY's and SENSEX's values at the bar's previous refresh (0 before the first).
    virtual double PreviousNifty() const = 0;
    virtual double PreviousSensex() const = 0;
    // A page's modal dialog stops the refresh timer while it is up; afterwards one tick
    // runs at once and the timer starts again.
    virtual void SuspendRefresh() = 0;
    virtual void ResumeRefresh() = 0;
    virtual QWidget* Window() = 0;
    // 1 while the live feed to the charting program runs (rows may not change then).
    virtual bool IsLiveFeedStarted() const = 0;
    // A page's own close button that only hides it.
    virtual void HidePage(BarPage page) = 0;
    // Another page of the bar while it exists (shown or hidden), else null.
    virtual CBarPage* FindPage(BarPage page) const = 0;
};

// The bar's refresh stands still while a modal dialog of a page is up, on every way out.
class RefreshSuspension final {
public:
    explicit RefreshSuspension(IBar& bar) : m_bar(bar) { m_bar.SuspendRefresh(); }
    ~RefreshSuspension() { m_bar.ResumeRefresh(); }
    RefreshSuspension(const RefreshSuspension&) = delete;
    RefreshSuspension& operator=(const RefreshSuspension&) = delete;

private:
    IBar& m_bar;
};

// A page as the bar sees it: a window, and for pages that add symbols, the entries of the
// request with the records the bar overwrites after each refresh.
class CBarPage {
public:
    virtual ~CBarPage() = default;
    virtual ui::CDialog* PageWindow() = 0;
    virtual int QuoteCount() const { return 0; }
    virtual std::string QuoteSymbol(int index) const {
        (void)index;
        return {};
    }
    virtual QuoteRecord& QuoteSlot(int index);
    // Called right after the bar has filled the page's records.
    virtual void OnBarRefresh() {}
    // The watch list: whether both logging options the live chart reads are ticked.
    virtual bool LiveChartLoggingOn() const { return false; }
    virtual void SetConnected(bool connected) = 0;
    // Writes what the page keeps (the watch list its table) now: at session logout and
    // on a termination signal, before the program goes.
    virtual void SaveState() {}
};

// Each page's library registers how it is made; a page without a factory has no button.
// The page window's owner is the bar; it deletes itself when its close destroys it.
using BarPageFactory = std::function<CBarPage*(IBar& bar)>;
void RegisterBarPage(BarPage page, BarPageFactory factory);
const BarPageFactory& BarPageFactoryOf(BarPage page);
void ClearBarPages(); // tests
