#pragma once

#include <QLabel>

// The banners of the bar's pages (their title strips and the headings over their lists): the
// caption in bold white on the program's gradient.
inline void MakeBanner(QLabel* label) {
    label->setStyleSheet(
        "QLabel { color: white; font-weight: bold;"
        " background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #103a78, stop:0.6 #3f8fd8,"
        " stop:1 #d5f7ff); }");
}
