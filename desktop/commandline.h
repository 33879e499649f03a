// commandline.h: the desktop program's arguments, read once, before any display is opened.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

// What the program is asked to answer instead of starting. Of several, the one
// further down this list wins: the version over --help-all over --help.
enum class CommandLineAnswer { None, Help, HelpAll, Version };

struct CommandLine
{
    CommandLineAnswer answer = CommandLineAnswer::None;
    std::string program;                  // the last part of argv[0], for the usage line
    double zoom = 1;                      // 1, 1.5 or 2
    bool projector = false;               // the zoom is to be the largest the screen holds
    std::optional<std::string> picture;   // the file's name byte for byte, valid text or not
    // What QApplication is given: argv[0] as it came, then Qt's own options, each as
    // "-name" and, when it takes one, its value as the next word.
    std::vector<std::string> toolkit;
};

// One line saying what is wrong, in Bulgarian (commandlinetexts.h).
struct CommandLineError
{
    std::string message;
};

// Reads argv[0..argc). Single-dash words are long options as Qt's are ("-style" is
// never "-s -t -y ..."), and "-name" and "--name" mean the same. Our own options and
// Qt's may mix before "--"; every word after it is the player's file. --help,
// --help-all and --version answer even when something else is wrong.
std::variant<CommandLine, CommandLineError> ParseCommandLine(int argc, const char *const *argv);
