#pragma once

#include "platform/com/com.h"

// The bridge component between Koravel and the charting program: its identity and its
// dual interface, as clients bind to them.
inline constexpr const char* kPellarProgId = "Pellar.clsdll";
inline constexpr const char* kPellarTypeLibrary = "Pellar";
inline constexpr CLSID CLSID_clsdll = {
    0x9DEFFD01, 0x6C65, 0x499E, {0xBB, 0xCF, 0x24, 0xD1, 0xB2, 0x10, 0x34, 0x8A}};
inline constexpr IID IID__clsdll = {
    0x130D4ED6, 0x3A03, 0x4746, {0xA2, 0xD3, 0x83, 0x75, 0x78, 0xF8, 0xA1, 0xB9}};

enum PellarDispId : DISPID {
    DISPID_fnInitialize = 0x60030000,
    DISPID_fnAddQuotations = 0x60030001,
    DISPID_fnAddStocks = 0x60030002,
    DISPID_fnDeleteAllStocks = 0x60030003,
    DISPID_parseCsv = 0x60030004,
    DISPID_fnAddQuotationsforBackFill = 0x60030005,
};

// Every method leaves its result variant empty except parseCsv (an array of strings);
// texts go in by reference and come back unchanged.
struct _clsdll : IDispatch {
    virtual HRESULT fnInitialize(VARIANT* result) = 0;
    virtual HRESULT fnAddQuotations(BSTR* strCSVData, VARIANT* result) = 0;
    virtual HRESULT fnAddStocks(BSTR* strTicker, VARIANT* result) = 0;
    virtual HRESULT fnDeleteAllStocks(VARIANT* result) = 0;
    virtual HRESULT parseCsv(BSTR* lineIn, VARIANT* result) = 0;
    virtual HRESULT fnAddQuotationsforBackFill(BSTR* strStockName, BSTR* strCSVData,
                                               VARIANT* result) = 0;

protected:
    ~_clsdll() = default;
};
