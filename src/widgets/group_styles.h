#pragma once

#include <QString>

// Style sheets of the button groups: the mode buttons of both pages, the output
// ports and the copy dialog's targets. The chosen button is yellow, the others
// grey; both fix the text colour, so one rule makes disabled buttons look disabled.
namespace group_style {

inline QString disabled_rule()
{
    return QStringLiteral("QPushButton:disabled{background-color:rgb(222, 222, 222);"
                          "color:rgb(150, 150, 150);border-color:rgb(170, 170, 170);}");
}

inline QString off()
{
    return QStringLiteral(
               "QPushButton{background-color:rgb(189, 189, 189);border-style:outset;"
               "border-width:2px;border-radius:10px;border-color:rgb(0, 255, 0);font:15px;"
               "color:rgb(0, 0, 0);}") +
           disabled_rule();
}

inline QString on()
{
    return QStringLiteral(
               "QPushButton{background-color:rgb(255, 223, 58);border-style:outset;"
               "border-width:2px;border-radius:10px;border-color:rgb(0, 255, 0);font:15px;"
               "color:rgb(0, 0, 0);}") +
           disabled_rule();
}

// The chosen copy target: the highlighted style with padding.
inline QString target_on()
{
    return QStringLiteral(
               "QPushButton{background-color:rgb(255, 223, 58);border-style:outset;"
               "border-width:2px;border-radius:10px;border-color:rgb(0, 255, 0);font:15px;"
               "color:rgb(0, 0, 0);padding:6px;}") +
           disabled_rule();
}

} // namespace group_style
