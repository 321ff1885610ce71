#pragma once

#include <optional>
#include <string>

#include "platform/ui/dialog.h"

// "Export to CSV": asks for the name of an export file, without its extension. The caller
// appends ".csv" and chooses the folder.
class CExportCsvDlg final : public ui::CDialog {
    Q_OBJECT
public:
    static constexpr int IDD = 174;
    static constexpr int IDC_FILE_NAME = 1116;
    static constexpr int kMaxNameChars = 25;

    explicit CExportCsvDlg(QWidget* parent = nullptr);

    // The trimmed name the user confirmed with OK.
    const std::string& GetFileName() const { return m_strFileName; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    std::string m_strFileName;
};

// Writes an export file (its folder made when missing) and tells the user how it went:
// "<what> present displayed data is exported Successfully at" and the path, or why not.
bool WriteExportFile(QWidget* parent, const std::string& path, const std::string& bytes,
                     const std::string& what);

// What the quote lists answer to an export before they got any data.
inline constexpr const char* kNoDataToExport =
    "There is no data to export, Please first \"Get Latest Data\"";

// Asks for an export file's name and gives its path: "<prefix><name>.csv" in the data folder
// `folder`. Nothing when there is no data to export (the user is told `noDataText`) or the user
// cancels.
std::optional<std::string> AskExportPath(QWidget* parent, bool hasData,
                                         const std::string& noDataText, const std::string& folder,
                                         const std::string& prefix = "");
