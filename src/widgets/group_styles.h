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

// A group button on `background`, with `extra` declarations.
inline QString button(const char *background, const char *extra = "")
{
    return QStringLiteral(
               "QPushButton{background-color:%1;border-style:outset;"
               "border-width:2px;border-radius:10px;border-color:rgb(0, 255, 0);font:15px;"
               "color:rgb(0, 0, 0);%2}")
               .arg(QLatin1String(background), QLatin1String(extra)) +
           disabled_rule();
}

inline QString off()
{
    return button("rgb(189, 189, 189)");
}

inline QString on()
{
    return button("rgb(255, 223, 58)");
}

// The chosen copy target: the highlighted style with padding.
inline QString target_on()
{
    return button("rgb(255, 223, 58)", "padding:6px;");
}

} // namespace group_style
