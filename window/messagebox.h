// messagebox.h: the message box's text as a command leaves it, and the one place
// that turns the model's facts into that text.
#pragma once

#include "model/game.h"

#include <string>
#include <string_view>

namespace window {

// What a command does to the message box. An append carries only the new line,
// so the log never has to be copied to grow.
struct TextChange
{
    enum class Kind { Keep, Empty, Append, Replace };
    Kind kind = Kind::Keep;
    std::string text;   // the appended line, or the whole new text; UTF-8, lines end in CR LF
    bool operator==(const TextChange &) const = default;
};

// The line a swap appends, the announcement that replaces the log, or the emptied box.
TextChange TextFor(const model::CommandResult &result);

// A face's message box: what it must do with a change.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    virtual void setText(std::string_view text) = 0;   // the whole text, "" to empty it
    // After whatever the box holds, typed text included, without moving the player's
    // selection; the view follows the newest line.
    virtual void append(std::string_view line) = 0;
};

void ApplyText(const TextChange &change, MessageBox &box);

} // namespace window
