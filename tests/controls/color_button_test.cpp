#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include "controls/color_button.h"
#include "platform/ui/ui_helpers.h"

namespace {

const QColor kFace(213, 247, 255);

int Grey(const QImage& img, int x, int y) {
    const QColor c = img.pixelColor(x, y);
    EXPECT_TRUE(c.red() == c.green() && c.green() == c.blue()) << x << ", " << y;
    return c.red();
}

// The darkest channel inside the bevel, where the caption is.
int DarkestInside(const QImage& img) {
    int darkest = 255;
    for (int y = 4; y < img.height() - 4; ++y)
        for (int x = 4; x < img.width() - 4; ++x) {
            const QColor c = img.pixelColor(x, y);
            darkest = std::min({darkest, c.red(), c.green(), c.blue()});
        }
    return darkest;
}

TEST(ColorButtonTest, AttachFindsColourButtonsById) {
    QWidget page;
    auto* button = new CColorButton("Refresh", &page);
    ui::SetControlId(button, 1001);
    ui::SetControlId(new QPushButton("Plain", &page), 1002);
    EXPECT_FALSE(CColorButton::Attach(1099, &page, colors::kPage, 0, 0, 2));
    EXPECT_FALSE(CColorButton::Attach(1002, &page, colors::kPage, 0, 0, 2));
    EXPECT_FALSE(button->IsOwnerDrawn());
    EXPECT_TRUE(CColorButton::Attach(1001, &page, colors::kPage, 0, 0, 2));
    EXPECT_TRUE(button->IsOwnerDrawn());
}

TEST(ColorButtonTest, PaintsFaceBevelAndTextAndTheirPressedAndDisabledForms) {
    CColorButton button("Refresh", nullptr);
    button.SetColors(colors::kPage, colors::kButtonText, colors::kDisabledText, colors::kBevel);
    button.resize(80, 24);
    QImage img = button.grab().toImage();
    // Outer ring 255 / 127, inner ring 223 / 85; the top and left edges run to the corners.
    const std::tuple<int, int, int> rings[] = {
        {40, 0, 255},  {0, 12, 255}, {79, 0, 255}, {0, 23, 255}, {40, 23, 127},
        {79, 12, 127}, {40, 1, 223}, {1, 12, 223}, {40, 22, 85}, {78, 12, 85},
    };
    for (const auto& [x, y, level] : rings)
        EXPECT_EQ(Grey(img, x, y), level) << x << ", " << y;
    EXPECT_EQ(img.pixelColor(2, 2), kFace);
    EXPECT_EQ(img.pixelColor(77, 21), kFace);
    EXPECT_LT(DarkestInside(img), 0x30) << "a near-black caption";

    button.setDown(true);
    img = button.grab().toImage();
    EXPECT_EQ(Grey(img, 40, 0), 128) << "sunken: dark top";
    EXPECT_EQ(Grey(img, 79, 12), 255) << "sunken: light right";
    EXPECT_EQ(img.pixelColor(1, 1), kFace) << "one ring only";

    button.setDown(false);
    button.setEnabled(false);
    img = button.grab().toImage();
    EXPECT_GT(DarkestInside(img), 0x60) << "no near-black caption left";
    EXPECT_LE(DarkestInside(img), 0x80) << "but a grey one";
}

} // namespace
