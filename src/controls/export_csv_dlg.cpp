#include "controls/export_csv_dlg.h"

#include <filesystem>
#include <fstream>

#include <QLineEdit>

#include "controls/color_button.h"
#include "controls/core/export_name.h"
#include "platform/base/clock.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"
#include "platform/base/validate.h"

CExportCsvDlg::CExportCsvDlg(QWidget* parent) : ui::CDialog(IDD, parent) {
    setWindowTitle(QStringLiteral("Export to CSV"));
    SetTemplateSize(186, 60);
    AddStatic(-1, "Write the File Name without the Extension CSV", 7, 7, 172, 9);
    auto* edit = Add<QLineEdit>(IDC_FILE_NAME, 7, 19, 172, 13);
    edit->setMaxLength(kMaxNameChars);
    auto* ok = Add<CColorButton>(ui::IDOK, 38, 39, 50, 14, std::string("OK"));
    auto* cancel = Add<CColorButton>(ui::IDCANCEL, 98, 39, 50, 14, std::string("Cancel"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

bool CExportCsvDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    for (int id : {ui::IDOK, ui::IDCANCEL})
        CColorButton::Attach(id, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                             colors::kBevel);
    SetDlgItemText(IDC_FILE_NAME, ProposedExportName(Clock::Now()));
    if (auto* edit = Control<QLineEdit>(IDC_FILE_NAME)) {
        edit->setFocus();
        edit->selectAll();
    }
    return true;
}

void CExportCsvDlg::OnOK() {
    auto* edit = Control<QLineEdit>(IDC_FILE_NAME);
    const QString raw = edit ? edit->text() : QString();
    if (raw.size() > kMaxNameChars) {
        ui::messageBox(validate::MaxCharsMessage(kMaxNameChars), ui::MB_OK, this);
        return;
    }
    const std::string name = text::Trim(ui::S(raw));
    if (const std::string refusal = CheckExportName(name); !refusal.empty()) {
        ui::messageBox(refusal, ui::MB_OK, this);
        if (edit)
            edit->setFocus();
        return;
    }
    m_strFileName = name;
    EndDialog(ui::IDOK);
}

bool WriteExportFile(QWidget* parent, const std::string& path, const std::string& bytes,
                     const std::string& what) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        ui::messageBox("Problem occured in Opening CSV File", ui::MB_OK | ui::MB_ICONERROR, parent);
        return false;
    }
    out << bytes;
    out.close();
    if (!out) {
        ui::messageBox("SORRY!!!Not able to write into the CSV file", ui::MB_OK | ui::MB_ICONERROR,
                       parent);
        return false;
    }
    ui::messageBox(what + " present displayed data is exported Successfully at \n" + path,
                   ui::MB_OK, parent);
    return true;
}

std::optional<std::string> AskExportPath(QWidget* parent, bool hasData,
                                         const std::string& noDataText, const std::string& folder,
                                         const std::string& prefix) {
    if (!hasData) {
        ui::messageBox(noDataText, ui::MB_OK, parent);
        return std::nullopt;
    }
    CExportCsvDlg ask(parent);
    if (ask.DoModal() != ui::IDOK)
        return std::nullopt;
    return paths::Join(paths::DataPath(folder), prefix + ask.GetFileName() + ".csv");
}
