#pragma once

// The watch list's columns: the alert rules, the AmiBroker feed and the data logs all read
// its rows' texts by them.
enum WatchColumn {
    kWcName = 0,
    kWcIndex = 1,
    kWcSymbol = 2,
    kWcPrice = 3,
    kWcChange = 4,
    kWcPercent = 5,
    kWcVolume = 6,
    kWcOpen = 7,
    kWcHigh = 8,
    kWcLow = 9,
    kWcYearLow = 10,
    kWcYearHigh = 11,
    kWcAlert = 12,
    kWcLower = 13,
    kWcUpper = 14,
    kWcPrevVolume = 15,
    kWcTaken = 16,
    kWcPrevPrice = 17,
    kWatchColumns = 18,
};
