#pragma once

#include <string>

#include <QPushButton>

#include "platform/base/colorref.h"

// The program's push button: until it is attached it looks like any button; attached, it
// paints itself with a flat face colour, a bevel of its own and its own text colours.
class CColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit CColorButton(QWidget* parent = nullptr);
    // Captions follow the Windows rules: "&x" marks a mnemonic, "&&" shows "&".
    CColorButton(const std::string& caption, QWidget* parent);

    // Finds the colour button `id` among the children of `parent` and turns its own
    // drawing on. False when `parent` has no such button.
    static bool Attach(int id, QWidget* parent, COLORREF face, COLORREF text, COLORREF disabledText,
                       int bevel);
    // The same for a button already at hand.
    void SetColors(COLORREF face, COLORREF text, COLORREF disabledText, int bevel);

    bool IsOwnerDrawn() const { return m_bOwnerDraw; }
    COLORREF FaceColor() const { return m_crFace; }
    COLORREF TextColor() const { return m_crText; }
    COLORREF DisabledTextColor() const { return m_crDisabled; }
    int Bevel() const { return m_nBevel; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    bool m_bOwnerDraw = false;
    COLORREF m_crFace = colors::kPage;
    COLORREF m_crText = colors::kButtonText;
    COLORREF m_crDisabled = colors::kDisabledText;
    int m_nBevel = colors::kBevel;
};
