#pragma once

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
