#pragma once

#include <QString>

// Style sheets of the mode buttons and of the copy dialog's target buttons.
namespace mode_style {

inline QString off()
{
    return QStringLiteral(
        "QPushButton{background-color:rgb(189, 189, 189);border-style:outset;border-width:2px;"
        "border-radius:10px;border-color:rgb(0, 255, 0);font:15px;color:rgb(0, 0, 0);}");
}

inline QString on()
{
    return QStringLiteral(
        "QPushButton{background-color:rgb(255, 223, 58);border-style:outset;border-width:2px;"
        "border-radius:10px;border-color:rgb(0, 255, 0);font:15px;color:rgb(0, 0, 0);}");
}

// The chosen copy target: the highlighted style with padding.
inline QString target_on()
{
    return QStringLiteral(
        "QPushButton{background-color:rgb(255, 223, 58);border-style:outset;border-width:2px;"
        "border-radius:10px;border-color:rgb(0, 255, 0);font:15px;color:rgb(0, 0, 0);"
        "padding:6px;}");
}

// The grey style fixes the text colour, so disabled buttons need their own rule
// to look disabled.
inline QString disabled_rule()
{
    return QStringLiteral("QPushButton:disabled{background-color:rgb(222, 222, 222);"
                          "color:rgb(150, 150, 150);border-color:rgb(170, 170, 170);}");
}

} // namespace mode_style
