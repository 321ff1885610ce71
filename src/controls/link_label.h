#pragma once

#include <string>

#include <QLabel>

#include "platform/base/colorref.h"

// A static text with its own colour, weight and size. Clickable labels open their own
// text in the browser when it is a web address.
class CLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit CLinkLabel(QWidget* parent = nullptr);
    CLinkLabel(const std::string& text, QWidget* parent);

    void SetText(const std::string& text);
    std::string GetText() const;
    void SetTextColor(COLORREF color);
    void SetFontBold(bool bold);
    // The font's pixel height.
    void SetFontSize(int pixels);
    // Only clickable labels react to the mouse (and a press on them never drags the window).
    void SetClickable(bool clickable);
    bool IsClickable() const;

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    void Redraw();
};
