// messagebox.cpp: the move log's text.
#include "window/messagebox.h"

#include "window/texts.h"

namespace window {

TextChange TextFor(const model::CommandResult &result)
{
    switch (result.log) {
    case model::Log::Keep:
        break;
    case model::Log::Empty:
        return {TextChange::Kind::Empty, {}};
    case model::Log::Swapped:
        // The tile of the second pick comes first, each as its stored text.
        return {TextChange::Kind::Append, texts::SwapLine(model::TileText(result.secondTile), model::TileText(result.firstTile))};
    case model::Log::Solved:
        return {TextChange::Kind::Replace, std::string(texts::Solved)};
    }
    return {};
}

void ApplyText(const TextChange &change, MessageBox &box)
{
    switch (change.kind) {
    case TextChange::Kind::Keep:
        break;
    case TextChange::Kind::Empty:
        box.setText({});
        break;
    case TextChange::Kind::Append:
        box.append(change.text);
        break;
    case TextChange::Kind::Replace:
        box.setText(change.text);
        break;
    }
}

} // namespace window
