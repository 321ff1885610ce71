#pragma once

#include <string>

#include <QColor>
#include <QString>

#include "platform/base/colorref.h"

class QEvent;
class QObject;
class QWidget;

namespace ui {

QColor ToQColor(COLORREF c);
COLORREF FromQColor(const QColor& c);

// Every control carries its numeric id; findControl finds it among a window's children.
void SetControlId(QObject* control, int id);
int ControlId(const QObject* control);
QString ControlName(int id);
template <class T> T* findControl(const QWidget* window, int id);

// Windows captions mark a mnemonic with '&' and show "&&" as '&'. Buttons and group boxes
// read them the same way in Qt; labels without a buddy show text as it stands, so they
// get the text with the marks resolved.
QString LabelText(const std::string& windowsCaption);
QString ButtonText(const std::string& windowsCaption);

// Whether a left press on `hit` (the window itself or one of its children) drags the
// window: its free surface, static texts, pictures and group frames do; controls do not.
bool StartsDrag(const QWidget* window, const QWidget* hit);
// For a caption-less window's event filter: a left press that `StartsDrag` lets the window
// system move the window. True when the press was taken for that.
bool DragOnPress(QWidget* window, QObject* watched, QEvent* e);

QString Q(const std::string& s);
std::string S(const QString& s);

} // namespace ui

#include <QWidget>

template <class T> T* ui::findControl(const QWidget* window, int id) {
    return window ? window->findChild<T*>(ControlName(id)) : nullptr;
}
