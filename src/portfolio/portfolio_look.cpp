#include "portfolio/portfolio_look.h"

#include <cstdio>

#include <QLineEdit>

#include "controls/color_button.h"
#include "platform/base/validate.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_helpers.h"

namespace portfolio {

void AttachColorButtons(QWidget* dialog, std::initializer_list<int> ids) {
    for (int id : ids)
        CColorButton::Attach(id, dialog, colors::kPage, colors::kButtonText, colors::kDisabledText,
                             colors::kBevel);
}

std::string FieldText(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

void ShowDbError(QWidget* parent, const std::string& error) {
    ui::messageBox(error, ui::MB_OK | ui::MB_ICONERROR, parent);
}

namespace {

bool Refuse(QLineEdit* edit, const std::string& message, QWidget* dialog) {
    ui::messageBox(message, ui::MB_OK | ui::MB_ICONWARNING, dialog);
    edit->setFocus();
    edit->selectAll();
    return false;
}

} // namespace

bool ReadDoubleField(QWidget* dialog, int id, double min, double max, double& value) {
    auto* edit = ui::findControl<QLineEdit>(dialog, id);
    const std::string error = validate::CheckDouble(ui::S(edit->text()), min, max, &value);
    return error.empty() || Refuse(edit, error, dialog);
}

bool ReadIntField(QWidget* dialog, int id, long min, long max, long& value) {
    auto* edit = ui::findControl<QLineEdit>(dialog, id);
    const std::string error = validate::CheckInt(ui::S(edit->text()), min, max, &value);
    return error.empty() || Refuse(edit, error, dialog);
}

} // namespace portfolio
