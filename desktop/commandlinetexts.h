// commandlinetexts.h: the desktop program's texts at its start, in UTF-8: the help, what is wrong with the arguments, no display.
#pragma once

#include <string>
#include <string_view>

namespace commandline::texts {

// The help, after "Употреба: PROGRAM".
inline constexpr std::string_view CommandLineHelp =
    " [опции] [ФАЙЛ]\n"
    "Пъзел с картина: разместете частите ѝ и я подредете отново.\n"
    "\n"
    "Опции:\n"
    "  -h, --help       Показва тази помощ.\n"
    "  --help-all       Показва помощта заедно с общите опции на Qt.\n"
    "  -v, --version    Показва версията на програмата.\n"
    "  --zoom МАЩАБ     Уголемява прозореца 1,5 или 2 пъти, за проектор: --zoom 1.5, --zoom 2.\n"
    "  --projector      Избира най-голямото уголемяване, 2 или 1,5, при което прозорецът\n"
    "                   с рамката си се побира на екрана.\n"
    "\n"
    "Аргументи:\n"
    "  ФАЙЛ             Картина вместо вградената: JPEG, PNG, WebP, TIFF, GIF или BMP.\n"
    "                   Име, което започва с „-“, се пише след „--“.\n"
    "\n"
    "Клавиши: Tab и Shift+Tab минават между полето за съобщения, дъската и бутоните;\n"
    "по дъската стрелките, Home и End местят курсора, интервал или Enter посочват част,\n"
    "F2 показва цялата картина до следващия клавиш или щракване; Ctrl+Z е „Ход назад“.\n";

// The toolkit's own options, after the help for --help-all.
inline constexpr std::string_view QtOptionsHelp =
    "\n"
    "Общи опции на Qt (преди „--“):\n"
    "  -platform ИМЕ    Отваря прозореца чрез посочения модул: xcb, wayland, offscreen, ...\n"
    "  -style СТИЛ      Рисува бутоните и менютата в посочения стил.\n"
    "  -reverse         Подрежда прозореца отдясно наляво.\n"
    "  -qwindowgeometry ГЕОМЕТРИЯ  Мястото на прозореца на екрана, например +100+50.\n"
    "  -qwindowtitle ЗАГЛАВИЕ      Заглавие на прозореца вместо обичайното.\n"
    "  -display ДИСПЛЕЙ Екранът на X11, на който да се отвори прозорецът.\n";

// What is wrong with the arguments: one line each, after "kalvero: ". An option is
// named without its dashes when unknown, and as written otherwise.
inline std::string UnknownOption(std::string_view option)
{
    return std::string("непозната опция „").append(option).append("“");
}

inline std::string MissingValue(std::string_view option)
{
    return std::string("опцията „").append(option).append("“ иска стойност");
}

inline std::string UnexpectedValue(std::string_view option)
{
    return std::string("опцията „").append(option).append("“ не приема стойност");
}

inline std::string OnePictureAtATime(std::string_view extra)
{
    return std::string("една картина наведнъж: „").append(extra).append("“ е в повече");
}

inline std::string BadZoom(std::string_view zoom)
{
    return std::string("мащабът „").append(zoom).append("“ не е 1, 1.5 или 2");
}

// The line after any of them.
inline constexpr std::string_view TryHelp = "Опциите: kalvero --help";

// When the toolkit reaches no display at all.
inline constexpr std::string_view NoDisplay =
    "няма екран, на който да се отвори прозорецът; на машина без екран пуснете: xvfb-run -a kalvero";

} // namespace commandline::texts
