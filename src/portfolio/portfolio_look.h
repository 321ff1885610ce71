#pragma once

#include <initializer_list>
#include <string>

class QWidget;

namespace portfolio {

// The portfolio's buttons with the program's colours and bevel.
void AttachColorButtons(QWidget* dialog, std::initializer_list<int> ids);
// A number as a numeric field shows it (fifteen significant digits, no trailing zeros).
std::string FieldText(double value);
// The database's own words in a box.
void ShowDbError(QWidget* parent, const std::string& error);
// Reads a numeric field with its range; on failure says so with the classic message, puts
// the caret there and returns false.
bool ReadDoubleField(QWidget* dialog, int id, double min, double max, double& value);
bool ReadIntField(QWidget* dialog, int id, long min, long max, long& value);

} // namespace portfolio
