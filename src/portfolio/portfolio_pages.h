#pragma once

// Registers the portfolio page with the bar, and its dialogs and data with the tour.
void RegisterPortfolioPage();
void RegisterPortfolioTour();
