#pragma once

#include <string>
#include <vector>

#include "app/bar_page.h"
#include "platform/ui/dialog.h"

// A page that adds a fixed set of symbols to the bar's request, for the bar's tests.
class TestPage final : public ui::CDialog, public CBarPage {
public:
    TestPage(std::vector<std::string> symbols, QWidget* owner)
        : ui::CDialog(999, owner), m_symbols(std::move(symbols)), m_records(m_symbols.size()) {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        SetTemplateSize(200, 40);
        EnsureInitialized();
    }
    ui::CDialog* PageWindow() override { return this; }
    int QuoteCount() const override { return static_cast<int>(m_symbols.size()); }
    std::string QuoteSymbol(int i) const override { return m_symbols[i]; }
    QuoteRecord& QuoteSlot(int i) override { return m_records[i]; }
    void OnBarRefresh() override { ++refreshes; }
    void SetConnected(int c) override { connected = c; }

    std::vector<std::string> m_symbols;
    std::vector<QuoteRecord> m_records;
    int refreshes = 0;
    int connected = -1;
};
