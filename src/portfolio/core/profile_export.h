#pragma once

#include <string>
#include <vector>

#include "portfolio/core/profile_rows.h"

// One list of the portfolio as the export writes it: its rows and the three total texts
// as the page shows them.
struct ProfileExportSection {
    const std::vector<ProfileRow>* rows = nullptr;
    std::string costTotal;
    std::string youllGetTotal;
    std::string netPLTotal;
};

// The bytes of the portfolio export, CR LF line ends included. A list without rows has no
// section.
std::string ProfileExportText(const ProfileExportSection& delivery,
                              const ProfileExportSection& intraday);
